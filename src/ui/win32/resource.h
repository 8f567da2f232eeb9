#pragma once
// Resource ids of quillmere.exe, shared by the resource script and the windows.

#define QM_ICON_APP 1  // the first icon group: the one the shell shows for the file
#define QM_ICON_ADD 2
#define QM_ICON_REMOVE 3
#define QM_ICON_START 4
#define QM_ICON_INFO 5
#define QM_ICON_WEB 6
#define QM_ICON_MAIL 7
