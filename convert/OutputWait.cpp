#include "convert/OutputWait.h"

#include "platform/ExclusiveOpen.h"
#include "platform/Sleep.h"

namespace {

constexpr std::uint32_t kProbePauseMs = 100;
constexpr int kMostPauses = 100;

}  // namespace

bool FileIsFree(const std::string& path) {
    return platform::CanOpenExclusively(path);
}

void WaitForOutput(const std::string& path, CommandHost& host) {
    int pauses = 0;
    while (!FileIsFree(path)) {
        platform::Sleep(kProbePauseMs);
        ++pauses;
        if (pauses > kMostPauses) {
            return;
        }
        host.ProcessMessages();
    }
}
