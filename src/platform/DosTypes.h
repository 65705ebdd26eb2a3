#pragma once
// Types of the console process runner: kinds of output pieces, line ends,
// phases and outcomes of a run, and the errors of its start.
#include "platform/Error.h"

#include <QtGlobal>

namespace filmarch {

enum TOutputType { otEntireLine, otBeginningOfLine };

enum TReturnCode { rcCRLF, rcLF };

enum TDosThreadStatus {
    dtsAllocatingMemory,
    dtsAllocateMemoryFail,
    dtsCreatingPipes,
    dtsCreatePipesFail,
    dtsCreatingProcess,
    dtsCreateProcessFail,
    dtsRunning,
    dtsRunningError,
    dtsSuccess,
    dtsUserAborted,
    dtsTimeOut,
    dtsOutputLimit, // the child wrote more than the run may deliver
};

// Show-window codes and creation flags are kept as data; they have no effect here.
enum TShowWindow {
    swHIDE,
    swMAXIMIZE,
    swMINIMIZE,
    swRESTORE,
    swSHOW,
    swSHOWDEFAULT,
    swSHOWMAXIMIZED,
    swSHOWMINIMIZED,
    swSHOWMINNOACTIVE,
    swSHOWNA,
    swSHOWNOACTIVATE,
    swSHOWNORMAL,
};
inline constexpr int ShowWindowValues[] = {0, 3, 6, 9, 5, 10, 3, 2, 7, 8, 4, 1};

enum TCreationFlag {
    fCREATE_DEFAULT_ERROR_MODE,
    fCREATE_NEW_CONSOLE,
    fCREATE_NEW_PROCESS_GROUP,
    fCREATE_SEPARATE_WOW_VDM,
    fCREATE_SHARED_WOW_VDM,
    fCREATE_SUSPENDED,
    fCREATE_UNICODE_ENVIRONMENT,
    fDEBUG_PROCESS,
    fDEBUG_ONLY_THIS_PROCESS,
    fDETACHED_PROCESS,
};
inline constexpr quint32 CreationFlagValues[] = {0x4000000, 0x10, 0x200, 0x800, 0x1000, 0x4, 0x400, 0x1, 0x2, 0x8};

class TCreatePipeError : public Error {
public:
    using Error::Error;
};

class TCreateProcessError : public Error {
public:
    using Error::Error;
};

} // namespace filmarch
