#include "link/LinkItem.h"

#include <array>
#include <cctype>

namespace tarnvel::link {
namespace {

using I = LinkItem;
using T = LinkTopic;

constexpr std::array kItems{
    LinkItemInfo{I::MyCall, T::Info, "MyCall", kGroupStation, false},
    LinkItemInfo{I::MyName, T::Info, "MyName", kGroupStation, false},
    LinkItemInfo{I::MyQth, T::Info, "MyQth", kGroupStation, false},
    LinkItemInfo{I::Program, T::Info, "Program", kGroupProgram, false},
    LinkItemInfo{I::Version, T::Info, "Version", kGroupProgram, false},
    LinkItemInfo{I::Date, T::Qso, "Date", kGroupQso, false},
    LinkItemInfo{I::Time, T::Qso, "Time", kGroupQso, false},
    LinkItemInfo{I::Mhz, T::Qso, "Mhz", kGroupQso, false},
    LinkItemInfo{I::Mode, T::Qso, "Mode", kGroupQso, false},
    LinkItemInfo{I::Call, T::Qso, "Call", kGroupQso, true},
    LinkItemInfo{I::Name, T::Qso, "Name", kGroupQso, true},
    LinkItemInfo{I::Qth, T::Qso, "Qth", kGroupQso, true},
    LinkItemInfo{I::RstRcv, T::Qso, "RstRcv", kGroupQso, true},
    LinkItemInfo{I::RstSnt, T::Qso, "RstSnt", kGroupQso, true},
    LinkItemInfo{I::Notes, T::Qso, "Notes", kGroupQso, true},
    LinkItemInfo{I::Changed, T::Qso, "Changed", kGroupQso, false},
    LinkItemInfo{I::Command, T::Qso, "Command", 0, false},
    LinkItemInfo{I::Khz, T::Cat, "Khz", kGroupKhz, false},
    LinkItemInfo{I::Ptt, T::Cat, "Ptt", kGroupPtt, false},
};

static_assert(kItems.size() == kLinkItemCount);

constexpr std::array<std::string_view, 4> kTopicNames{"System", "Info", "QSO", "CAT"};
constexpr std::array<std::string_view, 4> kSystemItems{"Topics", "SysItems", kTopicItemList,
                                                       kFormats};

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void appendListEntry(std::string& list, std::string_view entry) {
    if (!list.empty()) list += '\t';
    list += entry;
}

}  // namespace

std::span<const LinkItemInfo> linkItems() {
    return kItems;
}

const LinkItemInfo& linkItemInfo(LinkItem item) {
    return kItems[static_cast<size_t>(item)];
}

std::string_view topicName(LinkTopic topic) {
    return kTopicNames[static_cast<size_t>(topic)];
}

std::optional<LinkTopic> findTopic(std::string_view name) {
    for (size_t i = 0; i < kTopicNames.size(); ++i)
        if (sameName(kTopicNames[i], name)) return static_cast<LinkTopic>(i);
    return std::nullopt;
}

std::optional<LinkItem> findItem(LinkTopic topic, std::string_view name) {
    for (const LinkItemInfo& info : kItems)
        if (info.topic == topic && sameName(info.name, name)) return info.item;
    return std::nullopt;
}

std::string topicList() {
    std::string list;
    for (std::string_view name : kTopicNames) appendListEntry(list, name);
    return list;
}

std::string topicItemList(LinkTopic topic) {
    if (topic == LinkTopic::System) return systemItemList();
    std::string list;
    for (const LinkItemInfo& info : kItems)
        if (info.topic == topic) appendListEntry(list, info.name);
    appendListEntry(list, kTopicItemList);
    appendListEntry(list, kFormats);
    return list;
}

std::string systemItemList() {
    std::string list;
    for (std::string_view name : kSystemItems) appendListEntry(list, name);
    return list;
}

}  // namespace tarnvel::link
