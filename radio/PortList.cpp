#include "radio/PortList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace tarnvel::radio {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> sortedEntries(const fs::path& folder, std::string_view prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix)) names.push_back(name);
    }
    // ttyUSB2 before ttyUSB10: shorter names first, then by text.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

// A ttyS port is real when the serial core knows a UART type for it (0 means none).
bool hasUart(const fs::path& sysRoot, const std::string& name) {
    std::ifstream type(sysRoot / "class" / "tty" / name / "type");
    int value = 0;
    return type >> value && value != 0;
}

std::string resolvedPath(const fs::path& path) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? path.string() : resolved.string();
}

}  // namespace

PortList PortList::scan(const std::string& keep, const std::string& devRoot,
                        const std::string& sysRoot) {
    std::vector<std::string> devices;
    std::set<std::string> reached;  // canonical targets of the names already listed
    const fs::path byId = fs::path(devRoot) / "serial" / "by-id";
    for (const auto& name : sortedEntries(byId, "")) {
        const fs::path path = byId / name;
        devices.push_back(path.string());
        reached.insert(resolvedPath(path));
    }
    for (const std::string_view prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const auto& name : sortedEntries(devRoot, prefix)) {
            const fs::path path = fs::path(devRoot) / name;
            if (reached.count(resolvedPath(path)) != 0) continue;
            if (prefix == "ttyS" && !hasUart(sysRoot, name)) continue;
            devices.push_back(path.string());
        }
    }
    PortList list = fromDevices(devices);
    if (!keep.empty() && keep != kExternalDeviceKey &&
        std::none_of(devices.begin(), devices.end(),
                     [&](const std::string& d) { return d == keep; })) {
        list.choices_.insert(list.choices_.end() - 1,
                             PortChoice{PortKind::Serial, keep, keep, false});
    }
    return list;
}

PortList PortList::fromDevices(const std::vector<std::string>& devices) {
    PortList list;
    list.choices_.push_back({PortKind::None, {}, kPortNoneLabel, true});
    for (const auto& d : devices) list.choices_.push_back({PortKind::Serial, d, d, true});
    list.choices_.push_back({PortKind::External, {}, kPortExternalLabel, true});
    return list;
}

std::size_t PortList::positionOf(int number, std::string_view deviceKey) const {
    if (number <= 0) return 0;
    if (deviceKey == kExternalDeviceKey) return externalPosition();
    if (!deviceKey.empty()) {
        for (std::size_t i = 1; i < externalPosition(); ++i) {
            if (choices_[i].device == deviceKey) return i;
        }
        return 0;  // scan() lists a kept device, so this is a list made without it
    }
    const auto position = static_cast<std::size_t>(number);
    return position < choices_.size() ? position : 0;
}

int PortList::numberAt(std::size_t position) const {
    return position < choices_.size() ? static_cast<int>(position) : 0;
}

std::string PortList::deviceKeyAt(std::size_t position) const {
    if (position >= choices_.size()) return {};
    const PortChoice& c = choices_[position];
    switch (c.kind) {
        case PortKind::None: return {};
        case PortKind::Serial: return c.device;
        case PortKind::External: return kExternalDeviceKey;
    }
    return {};
}

}  // namespace tarnvel::radio
