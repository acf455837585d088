// The program's platform-service object: SysIO with translated captions and
// file-type names, registered once at start-up.
#pragma once

void RegisterProgramSysIO();
