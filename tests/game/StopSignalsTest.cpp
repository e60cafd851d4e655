// The signals of writes that cannot be done, in a child process each, since the handlers are
// the process's: with them installed, a write fails with its error and the program goes on.
#include "game/StopSignals.h"
#include "game/prototypes/ReplaceFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

/// The errno of one write of a byte to fd, 0 when it was written.
int WriteError(int fd)
{
    return write(fd, "x", 1) == 1 ? 0 : errno;
}

TEST(StopSignalsTest, AWriteToAClosedPipeOrBeyondTheFileSizeLimitFailsAndTheProgramGoesOn)
{
    TempDir dir;
    const String level = dir.File("createdlevel.ini");
    const struct
    {
        const char* name;
        int (*write)(const String& level); // the errno it meets
        int error;
    } cases[] = {
        {"a pipe whose reader has gone",
         [](const String&)
         {
             int ends[2];
             if (pipe(ends) != 0)
                 return -1;
             close(ends[0]);
             return WriteError(ends[1]);
         },
         EPIPE},
        {"a file at the file-size limit",
         [](const String& path)
         {
             const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
             return fd < 0 ? -1 : WriteError(fd);
         },
         EFBIG},
        {"the level editor's save at the file-size limit",
         [](const String& path) { return ReplaceFile(path, "//created levelfile.\r\n"); }, EFBIG},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            // `ulimit -f 0`, as a shell or a service manager may start the program.
            rlimit noFiles = {};
            getrlimit(RLIMIT_FSIZE, &noFiles);
            noFiles.rlim_cur = 0;
            if (!StopSignals::Install("stop_signals_test") || setrlimit(RLIMIT_FSIZE, &noFiles))
                _exit(2);
            _exit(c.write(level) == c.error ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        // Nothing is left of the save, neither the level nor its temporary file.
        std::filesystem::remove(level);
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    }
}

} // namespace
