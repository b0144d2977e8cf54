#include "sim/replay/simulation_file.h"

#include "firmware/whole_file.h"
#include "sim/scenario/scenario_json.h"

namespace zeltor {

bool loadSimulationFile(const std::filesystem::path& path, SimulationFile& file,
                        std::string& error) {
    const std::u8string name = path.u8string();
    const std::string source(name.begin(), name.end());
    // A log gathers every run on the user's machine; it is still far below this.
    constexpr std::uint64_t kLimit = 1024ull * 1024 * 1024;
    ByteVector content;
    const WholeFileResult read = readWholeFile(source, kLimit, content);
    if (read.status != WholeFileStatus::Read) {
        error = source + ": cannot read the simulation file" +
                (read.reason.empty() ? std::string() : " (" + read.reason + ")");
        return false;
    }
    const std::string bytes(content.begin(), content.end());
    SimulationFile loaded;
    if (looksLikeLogFile(bytes)) {
        loaded.kind = SimulationFile::Kind::Log;
        if (!parseReplayLog(bytes, loaded.log, error)) {
            error = source + ": " + error;
            return false;
        }
    } else if (!parseScenario(bytes, source, loaded.scenario, error)) {
        return false;
    }
    file = std::move(loaded);
    return true;
}

}  // namespace zeltor
