# The program on Windows: the window in Windows' own controls.
message(FATAL_ERROR "the Windows window is not built yet")
