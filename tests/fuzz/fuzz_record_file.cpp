// Record files (".xbin", versions 2 and 3) as playback reads them: the file, the older
// information block turned into the short trailer, the settings, then the frame.
#include <string>
#include <vector>

#include "FuzzFrame.h"
#include "records/PlayedConfig.h"
#include "records/RecordFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace records = Movoda::records;
    const records::RecordReadResult read =
        records::parseRecordFile(std::vector<uint8_t>(data, data + size));
    if (read.status != records::ReadStatus::Ok) {
        fuzzcheck::require(!read.message.empty(), "a refused file without a reason");
        return 0;
    }
    std::vector<uint8_t> payload = read.content.payload;
    fuzzcheck::require(payload.size() <= size, "payload larger than the file");
    if (read.content.info) (void)records::configFromRecordInfo(*read.content.info);
    if (read.content.version == 2) {
        std::string message;
        (void)records::convertOldInfoBlock(payload, message);
    }
    fuzzcheck::decodeInner(payload.data(), payload.size());
    return 0;
}
