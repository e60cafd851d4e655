# Runs once at start-up, before physics is set up: nothing here may need physics.
from tessaly import *
