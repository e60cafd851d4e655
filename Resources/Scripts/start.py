# Runs once at start-up, before physics is set up: nothing here may need physics.
from tessaly import *
from tessaly_levels import LoadLevel, CreateActor

# The engine builds actors from archetypes through Actor.Create (see tessaly_levels).
Actor.Create = staticmethod(CreateActor)

# The developer console runs Python.
import tessaly_console
tessaly_console.register()
