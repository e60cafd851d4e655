// Needs Xvfb and xdotool. Runs the real world loop in a child process on a private X server,
// sends real X key presses and mouse clicks to its window and reads what the child reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef INPUT_END_TO_END_APP
#error "INPUT_END_TO_END_APP must name the reporting program"
#endif

namespace
{

using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

/// Starts args[0] from PATH, with its standard output on a pipe when stdoutFd is given and
/// the environment variables in env set. Other descriptors are inherited.
pid_t Spawn(const Args& args, int* stdoutFd, const Args& env = {})
{
    int out[2] = {-1, -1};
    if (stdoutFd && pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0)
    {
        if (stdoutFd)
        {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
        }
        for (size_t i = 0; i + 1 < env.size(); i += 2)
            setenv(env[i].c_str(), env[i + 1].c_str(), 1);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (stdoutFd)
    {
        close(out[1]);
        *stdoutFd = out[0];
    }
    return pid;
}

/// Reads lines from a child's pipe, waiting at most until a deadline for each expectation.
class LineReader
{
public:
    explicit LineReader(int fd) : m_fd(fd) {}
    ~LineReader()
    {
        if (m_fd >= 0)
            close(m_fd);
    }

    /// Waits until a line equal to wanted arrives; false at the deadline or end of output.
    bool WaitFor(const std::string& wanted, std::chrono::seconds timeout)
    {
        const Clock::time_point deadline = Clock::now() + timeout;
        while (true)
        {
            for (; m_checked < m_lines.size(); ++m_checked)
                if (m_lines[m_checked] == wanted)
                {
                    ++m_checked;
                    return true;
                }
            if (!ReadMore(deadline))
                return false;
        }
    }

    /// Waits for the next line not yet looked at; false at the deadline or end of output.
    bool NextLine(std::string* line, std::chrono::seconds timeout)
    {
        const Clock::time_point deadline = Clock::now() + timeout;
        while (m_checked == m_lines.size())
            if (!ReadMore(deadline))
                return false;
        *line = m_lines[m_checked++];
        return true;
    }

    /// Waits for the end of the output (the child exited); false at the deadline.
    bool WaitForEnd(std::chrono::seconds timeout)
    {
        const Clock::time_point deadline = Clock::now() + timeout;
        while (!m_ended)
            if (!ReadMore(deadline) && !m_ended)
                return false;
        return true;
    }

    int Count(const std::string& line) const
    {
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
    }
    bool Has(const std::string& line) const { return Count(line) > 0; }

    std::string All() const
    {
        std::string all;
        for (const std::string& line : m_lines)
            all += "  " + line + "\n";
        return all;
    }

private:
    bool ReadMore(Clock::time_point deadline)
    {
        if (m_ended)
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd pfd{m_fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            return true;
        if (ready <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(m_fd, buffer, sizeof(buffer));
        if (n <= 0)
        {
            m_ended = true;
            return false;
        }
        for (ssize_t i = 0; i < n; ++i)
        {
            if (buffer[i] == '\n')
            {
                m_lines.push_back(m_partial);
                m_partial.clear();
            }
            else
                m_partial += buffer[i];
        }
        return true;
    }

    int m_fd;
    std::vector<std::string> m_lines;
    std::string m_partial;
    size_t m_checked = 0;
    bool m_ended = false;
};

int Run(const Args& args)
{
    const pid_t pid = Spawn(args, nullptr);
    if (pid < 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class InputEndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A private X server: the keyboard goes to our window, not to another test's.
        int displayPipe[2];
        ASSERT_EQ(pipe(displayPipe), 0);
        m_xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0",
                        "1280x1024x24", "-nolisten", "tcp"},
                       nullptr);
        close(displayPipe[1]);
        ASSERT_GT(m_xvfb, 0);
        // Xvfb writes its display number once it accepts connections.
        LineReader display(displayPipe[0]);
        std::string number;
        ASSERT_TRUE(display.NextLine(&number, std::chrono::seconds(10)));
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 0);
    }

    void TearDown() override
    {
        if (m_app > 0)
        {
            kill(m_app, SIGKILL);
            waitpid(m_app, nullptr, 0);
        }
        if (m_xvfb > 0)
        {
            kill(m_xvfb, SIGTERM);
            waitpid(m_xvfb, nullptr, 0);
        }
    }

    /// Waits for the app's exit and returns its status.
    int Reap()
    {
        int status = 0;
        waitpid(m_app, &status, 0);
        m_app = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t m_xvfb = -1;
    pid_t m_app = -1;
};

void Xdotool(const Args& args)
{
    Args command = {"xdotool"};
    command.insert(command.end(), args.begin(), args.end());
    ASSERT_EQ(Run(command), 0) << "xdotool " << args.front() << " failed";
}

TEST_F(InputEndToEndTest, RealKeysAndClicksReachBindingsListenersAndTheConsole)
{
    using std::chrono::seconds;
    int out = -1;
    // Ending the loop terminates GLFW, which unloads the GL driver before the leak check runs;
    // the driver's blocks can then no longer be told apart from ours. The in-process tests
    // check our own allocations; here memory errors still abort the child.
    const char* asan = std::getenv("ASAN_OPTIONS");
    m_app = Spawn({INPUT_END_TO_END_APP}, &out,
                  {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"});
    ASSERT_GT(m_app, 0);
    LineReader app(out);
    ASSERT_TRUE(app.WaitFor("ready", seconds(30))) << app.All();

    // Bindings from Config/input_bindings.ini (the app runs in the repository root).
    Xdotool({"key", "space"});
    EXPECT_TRUE(app.WaitFor("message MoveForwards", seconds(10))) << app.All();
    Xdotool({"key", "minus"});
    EXPECT_TRUE(app.WaitFor("message MoveBackwards", seconds(10))) << app.All();
    Xdotool({"key", "r"});
    EXPECT_TRUE(app.WaitFor("message Restart", seconds(10))) << app.All();
    // The live key state, asked for in lower case.
    Xdotool({"keydown", "r"});
    EXPECT_TRUE(app.WaitFor("key r down", seconds(10))) << app.All();
    Xdotool({"keyup", "r"});
    EXPECT_TRUE(app.WaitFor("key r up", seconds(10))) << app.All();
    Xdotool({"key", "a"});
    EXPECT_TRUE(app.WaitFor("message MoveForwards", seconds(10))) << app.All();

    // A right click at window pixel (120, 45).
    Xdotool({"search", "--name", "^Tessaly Engine$", "mousemove", "--window", "%1", "120", "45",
             "click", "3"});
    EXPECT_TRUE(app.WaitFor("mouse down 120 45 2", seconds(10))) << app.All();
    EXPECT_TRUE(app.WaitFor("mouse up 120 45 2", seconds(10))) << app.All();

    // The console takes the keyboard while open; Escape closes it without ending the game.
    Xdotool({"key", "grave"});
    ASSERT_TRUE(app.WaitFor("console open", seconds(10))) << app.All();
    Xdotool({"type", "hi there"});
    EXPECT_TRUE(app.WaitFor("console input hi there", seconds(10))) << app.All();
    Xdotool({"key", "Return"});
    EXPECT_TRUE(app.WaitFor("console output Test Console Echo: hi there", seconds(10)))
        << app.All();
    Xdotool({"key", "Escape"});
    ASSERT_TRUE(app.WaitFor("console closed", seconds(10))) << app.All();
    EXPECT_FALSE(app.Has("stopped"));
    // The blank typed into the console was not a Space for the bindings.
    EXPECT_EQ(app.Count("message MoveForwards"), 2) << app.All();

    // With the console closed Escape ends the loop and the program.
    Xdotool({"key", "Escape"});
    EXPECT_TRUE(app.WaitFor("stopped", seconds(10))) << app.All();
    ASSERT_TRUE(app.WaitForEnd(seconds(10))) << app.All();
    EXPECT_EQ(Reap(), 0);
}

} // namespace
