#include "link/LinkItem.h"

#include <array>
#include <cctype>

namespace tarnvel::link {
namespace {

using I = LinkItem;
using T = LinkTopic;

constexpr std::array kItems{
    LinkItemSpec{I::MyCall, T::Info, "MyCall", kGroupStation, false},
    LinkItemSpec{I::MyName, T::Info, "MyName", kGroupStation, false},
    LinkItemSpec{I::MyQth, T::Info, "MyQth", kGroupStation, false},
    LinkItemSpec{I::Program, T::Info, "Program", kGroupProgram, false},
    LinkItemSpec{I::Version, T::Info, "Version", kGroupProgram, false},
    LinkItemSpec{I::Date, T::Qso, "Date", kGroupQso, false},
    LinkItemSpec{I::Time, T::Qso, "Time", kGroupQso, false},
    LinkItemSpec{I::Mhz, T::Qso, "Mhz", kGroupQso, false},
    LinkItemSpec{I::Mode, T::Qso, "Mode", kGroupQso, false},
    LinkItemSpec{I::Call, T::Qso, "Call", kGroupQso, true},
    LinkItemSpec{I::Name, T::Qso, "Name", kGroupQso, true},
    LinkItemSpec{I::Qth, T::Qso, "Qth", kGroupQso, true},
    LinkItemSpec{I::RstRcv, T::Qso, "RstRcv", kGroupQso, true},
    LinkItemSpec{I::RstSnt, T::Qso, "RstSnt", kGroupQso, true},
    LinkItemSpec{I::Notes, T::Qso, "Notes", kGroupQso, true},
    LinkItemSpec{I::Changed, T::Qso, "Changed", kGroupQso, false},
    LinkItemSpec{I::Command, T::Qso, "Command", 0, false},
    LinkItemSpec{I::Khz, T::Cat, "Khz", kGroupKhz, false},
    LinkItemSpec{I::Ptt, T::Cat, "Ptt", kGroupPtt, false},
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

std::span<const LinkItemSpec> linkItems() {
    return kItems;
}

const LinkItemSpec& linkItemSpec(LinkItem item) {
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
    for (const LinkItemSpec& spec : kItems)
        if (spec.topic == topic && sameName(spec.name, name)) return spec.item;
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
    for (const LinkItemSpec& spec : kItems)
        if (spec.topic == topic) appendListEntry(list, spec.name);
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
