// Resource identifiers shared by Replaydock.rc and the Win32 views.
#ifndef REPLAYDOCK_RESOURCE_H
#define REPLAYDOCK_RESOURCE_H

// The program icon; id 1 is the first icon group, so the shell's "Replaydock.exe,0" finds it.
#define IDI_APP 1

#endif
