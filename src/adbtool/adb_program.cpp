#include "adbtool/adb_program.h"

namespace nimbo {

bool CarriesAdb(PayloadBytesLookup lookup) {
    const payloads::PayloadInfo* adb = payloads::FindPayload(1);
    return adb && lookup && !lookup(adb->resourceId).empty();
}

std::filesystem::path ProgramSearchDir(const platform::Paths& paths, PayloadBytesLookup lookup) {
    return CarriesAdb(lookup) ? paths.systemDir : paths.systemAdbDir;
}

}  // namespace nimbo
