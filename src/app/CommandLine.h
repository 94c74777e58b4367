#pragma once

// Parses the command line and runs the editor (or the headless converter). Returns the exit code.
int runWordlark(int argc, char** argv);
