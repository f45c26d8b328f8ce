#pragma once

// The identifiers of the program's resources, shared by its resource script
// and its code.
#define ProgramIconId 1
