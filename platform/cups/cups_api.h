#pragma once

#include <cups/cups.h>

namespace torvel {

// libcups, loaded when the first page is sent rather than with the program:
// linked directly it would add its own dependencies to every start-up.
#define TORVEL_CUPS_FUNCTIONS(X)                                                       \
    X(cupsServer) X(ippPort) X(cupsEncryption) X(cupsUser) X(cupsSetUser)              \
    X(cupsSetPasswordCB2)                                                              \
    X(httpConnect2) X(httpSetTimeout) X(httpClose) X(httpGetActivity)                  \
    X(httpGetRemaining) X(httpGetStatus)                               \
    X(cupsGetNamedDest) X(cupsFreeDests) X(cupsGetOption)           \
    X(cupsCopyDestInfo) X(cupsFreeDestInfo) X(cupsFindDestDefault) X(ippGetString)     \
    X(cupsGetDestMediaByName) X(cupsAddOption) X(cupsFreeOptions)                      \
    X(cupsCreateDestJob) X(cupsStartDestDocument) X(cupsWriteRequestData)              \
    X(cupsFinishDestDocument) X(cupsCancelDestJob)                                     \
    X(ippNewRequest) X(cupsDoRequest) X(ippGetStatusCode) X(ippFindAttribute)          \
    X(ippErrorString) X(ippDelete)                                                     \
    X(cupsLastError) X(cupsLastErrorString)

struct CupsApi {
#define TORVEL_CUPS_MEMBER(name) decltype(&::name) name = nullptr;
    TORVEL_CUPS_FUNCTIONS(TORVEL_CUPS_MEMBER)
#undef TORVEL_CUPS_MEMBER
};

// The functions above, or null when libcups is missing or lacks one. Loaded
// once, by whichever thread asks first.
const CupsApi* LoadCups();

} // namespace torvel
