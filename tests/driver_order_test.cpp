// The CD-ROM driver list's install order and its one entry per hardware ID.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "items/driver_order.h"
#include "listjob/held_driver_index.h"
#include "listjob/mfg_list.h"
#include "mfglist/mfglist.h"
#include "support/list_run.h"

namespace mfg::test {
namespace {

using test::TraceCapture;
using Lines = std::vector<std::string>;

struct Driver {
    const char* hardId;
    const char* type;
    std::int32_t id;
    const char* name;  // how the checks name the entry
};

template <std::size_t N>
void setText(char (&field)[N], const std::string& value) {
    ASSERT_LT(value.size(), N);
    std::memcpy(field, value.c_str(), value.size() + 1);
}

std::unique_ptr<ITEMINFO> record(const Driver& d) {
    auto item = std::make_unique<ITEMINFO>();
    setText(item->hardId, d.hardId);
    setText(item->type, d.type);
    setText(item->name, d.name);
    item->id = d.id;
    return item;
}

Lines names(const CMfgList& list) {
    Lines out;
    for (const auto& item : list.request.driverList) out.push_back(item ? item->name : "<null>");
    return out;
}

TEST(TypeRank, FactoryInstallOrderWithUnknownTypesLast) {
    const char* const order[] = {"SYSPATCH", "MAINBOARD", "DISPLAY", "NETCARD",
                                 "SOUND",    "TVCARD",    "1394",    "FAX",
                                 "KEYBOARD", "BOX",       "POWER",   "SOFTWARE"};
    for (int rank = 0; rank < 12; ++rank) EXPECT_EQ(CMfgList::GetTypeRank(order[rank]), rank);
    EXPECT_EQ(CMfgList::GetTypeRank("display"), 2);
    EXPECT_EQ(CMfgList::GetTypeRank("SysPatch"), 0);
    // Whole words only, and no trimming.
    for (const char* other : {"MODEM", "", " DISPLAY", "DISPLAY ", "DISPLAYS", "DISP"})
        EXPECT_EQ(CMfgList::GetTypeRank(other), 12) << '"' << other << '"';
}

class DriverOrder : public ::testing::Test {
protected:
    DriverOrder() : list(MFG_LIST_DRIVER, "", 0) {}
    ~DriverOrder() override { list.FreeItems(); }

    // Offers each driver in turn and checks what each offer answered.
    void offer(const std::vector<std::pair<Driver, int>>& steps) {
        for (const auto& [driver, result] : steps)
            EXPECT_EQ(list.AddDriverItem(record(driver)), result) << driver.name;
    }

    CMfgList list;
};

TEST_F(DriverOrder, NewEntriesStandByTypeRankThenId) {
    // Held, whatever order they came in: (2, 10), (2, 20), (4, 5).
    const Driver held[] = {
        {"HELD0003", "SOUND", 5, "c"},
        {"HELD0002", "DISPLAY", 20, "b"},
        {"HELD0001", "DISPLAY", 10, "a"},
    };
    const struct {
        const char* type;
        std::int32_t id;
        Lines order;
    } rows[] = {
        // An equal key goes before the held one: the newer entry stands first.
        {"DISPLAY", 20, {"a", "new", "b", "c"}}, {"DISPLAY", 25, {"a", "b", "new", "c"}},
        {"NETCARD", 0, {"a", "b", "new", "c"}},  {"MODEM", 0, {"a", "b", "c", "new"}},
        {"", -100, {"a", "b", "c", "new"}},      {"display", 10, {"new", "a", "b", "c"}},
        {"DISPLAY", -5, {"new", "a", "b", "c"}}, {"SYSPATCH", 2147483647, {"new", "a", "b", "c"}},
        {"SOUND", 5, {"a", "b", "new", "c"}},    {"SOUND", 6, {"a", "b", "c", "new"}},
        {"POWER", 0, {"a", "b", "c", "new"}},
    };
    for (const auto& row : rows) {
        list.FreeItems();
        for (const Driver& d : held) ASSERT_EQ(list.AddDriverItem(record(d)), 1);
        ASSERT_EQ(names(list), (Lines{"a", "b", "c"}));
        EXPECT_EQ(list.AddDriverItem(record({"NEWID001", row.type, row.id, "new"})), 1);
        EXPECT_EQ(names(list), row.order) << row.type << " " << row.id;
    }
}

TEST_F(DriverOrder, OneEntryPerHardwareId) {
    const struct {
        const char* what;
        std::vector<std::pair<Driver, int>> steps;
        Lines order;
        Lines trace;
    } cases[] = {
        {"same ID in another letter case",
         {{{"PCI\\VEN_10EC&DEV_8136", "NETCARD", 1, "first"}, 1},
          {{"pci\\ven_10ec&dev_8136", "NETCARD", 0, "second"}, 0},
          {{"PCI\\VEN_10EC&DEV_8136", "SYSPATCH", 0, "third"}, 0}},
         {"first"},
         {"IS EXIST , NOT ADD", "IS EXIST , NOT ADD"}},
        {"device ID after its family ID takes the family's place",
         {{{"ABCD1234", "DISPLAY", 50, "family"}, 1},
          {{"ZZZZ0000", "SOUND", 1, "other"}, 1},
          {{"abcd1234efgh5678", "MODEM", 0, "device"}, 0},
          // Later entries are placed against the list as it now stands.
          {{"WWWW2222", "NETCARD", 0, "later"}, 1}},
         {"later", "device", "other"},
         {"IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = ABCD1234 , NEW = ABCD1234EFGH5678"}},
        {"family ID after its device ID is refused",
         {{{"ABCD1234EFGH5678", "SOUND", 1, "device"}, 1},
          {{"abcd1234", "SYSPATCH", 0, "family"}, 0}},
         {"device"},
         {"IS EXIST , NEW IS 8 ,NOT ADD "}},
        {"two devices of one family stay; the family is refused",
         {{{"ABCD1234AAAA0002", "SOUND", 2, "dev2"}, 1},
          {{"ABCD1234AAAA0001", "SOUND", 1, "dev1"}, 1},
          {{"ABCD1234", "DISPLAY", 0, "family"}, 0}},
         {"dev1", "dev2"},
         {"IS EXIST , NEW IS 8 ,NOT ADD "}},
        {"only 8 against 16 relates",
         {{{"ABCD1234", "SOUND", 10, "eight"}, 1},
          {{"ABCD1234XYZW", "SOUND", 9, "twelve"}, 1},
          {{"ABCD1234X", "SOUND", 8, "nine"}, 1},
          {{"ABCD123", "SOUND", 7, "seven"}, 1},
          {{"ABCE1234FFFF0000", "SOUND", 6, "other family"}, 1},
          {{"XABCD1234FFFF000", "SOUND", 5, "inner match"}, 1},
          {{"ABCD1234FFFF00001", "SOUND", 4, "seventeen"}, 1}},
         {"seventeen", "inner match", "other family", "seven", "nine", "twelve", "eight"},
         {}},
        {"empty hardware IDs are equal",
         {{{"", "SYSPATCH", 0, "patch1"}, 1}, {{"", "SYSPATCH", 1, "patch2"}, 0}},
         {"patch1"},
         {"IS EXIST , NOT ADD"}},
    };
    for (const auto& c : cases) {
        list.FreeItems();
        TraceCapture trace;
        offer(c.steps);
        EXPECT_EQ(names(list), c.order) << c.what;
        EXPECT_EQ(trace.lines(), c.trace) << c.what;
    }
}

TEST_F(DriverOrder, TheEarliestRelatedEntryDecides) {
    // Appended entries are not de-duplicated, so a list can hold a device ID
    // before its own family ID.
    list.request.driverList.push_back(record({"ABCD1234EFGH5678", "SOUND", 1, "device"}));
    list.request.driverList.push_back(record({"ABCD1234", "SOUND", 2, "family"}));
    TraceCapture trace;
    // Refused by the device at 0, not by the equal family at 1.
    EXPECT_EQ(list.AddDriverItem(record({"ABCD1234", "SOUND", 0, "late family"})), 0);
    // Unrelated to the device at 0, it supersedes the family at 1.
    EXPECT_EQ(list.AddDriverItem(record({"ABCD1234IJKL9012", "SOUND", 0, "late device"})), 0);
    EXPECT_EQ(names(list), (Lines{"device", "late device"}));
    EXPECT_EQ(
        trace.lines(),
        (Lines{"IS EXIST , NEW IS 8 ,NOT ADD ",
               "IS EXIST , NEW IS 16 ,UPDATE THIS ,OLD = ABCD1234 , NEW = ABCD1234IJKL9012"}));
}

TEST_F(DriverOrder, BadRecordsNeverHurt) {
    TraceCapture trace;
    EXPECT_EQ(list.AddDriverItem(nullptr), 0);
    EXPECT_TRUE(list.request.driverList.empty());
    EXPECT_EQ(trace.lines(), Lines{});

    // Fields without their terminator are read up to their width only.
    auto full = [](char fill, const char* name) {
        auto item = std::make_unique<ITEMINFO>();
        std::memset(item->hardId, fill, sizeof item->hardId);
        std::memset(item->type, fill, sizeof item->type);
        setText(item->name, name);
        return item;
    };
    EXPECT_EQ(list.AddDriverItem(full('A', "first")), 1);
    EXPECT_EQ(list.AddDriverItem(full('a', "same")), 0);
    // An empty position is stepped over, by the scan and by the insert.
    list.request.driverList.insert(list.request.driverList.begin(), nullptr);
    EXPECT_EQ(list.AddDriverItem(full('B', "other")), 1);  // rank 12, ID 0 like "first"
    EXPECT_EQ(list.AddDriverItem(record({"ABCD1234", "SOUND", 1, "family"})), 1);
    EXPECT_EQ(list.AddDriverItem(record({"ABCD1234EFGH5678", "SOUND", 1, "device"})), 0);
    EXPECT_EQ(names(list), (Lines{"<null>", "device", "other", "first"}));
}

TEST_F(DriverOrder, DoubleByteCharactersKeepTheirTrailBytes) {
    // 0x82 0x61 and 0x82 0x41 are two characters in 932; in 1252 they are a
    // symbol followed by a and A.
    const std::string lower = "PCI\\\x82\x61";
    const std::string upper = "PCI\\\x82\x41";
    const struct {
        unsigned codePage;
        int secondResult;
    } rows[] = {{932, 1}, {1252, 0}};
    for (const auto& row : rows) {
        list.FreeItems();
        const text::CodePage cp(row.codePage);
        EXPECT_EQ(list.AddDriverItem(record({lower.c_str(), "SOUND", 1, "lower"}), cp), 1);
        EXPECT_EQ(list.AddDriverItem(record({upper.c_str(), "SOUND", 1, "upper"}), cp),
                  row.secondResult)
            << row.codePage;
    }
}

// Placing through the list object's index must decide as asking every held
// entry does: the same outcome and deciding entry for every offer, the same
// order, the same trace lines.  IDs come from a few families, their devices
// and near misses, in mixed case, with double-byte characters across the
// family's end in 932, so that every relation and every tie turns up.
struct OfferTrail {
    Lines outcomes;
    Lines order;
    Lines trace;
};

template <typename Place>
OfferTrail offerAll(const std::vector<Driver>& drivers, bool emptySlotFirst, Place place) {
    const TraceCapture trace;
    OfferTrail trail;
    items::DriverList list;
    if (emptySlotFirst) list.push_back(nullptr);
    for (const Driver& d : drivers) {
        const items::InstallOrderOutcome outcome = place(list, record(d));
        const ITEMINFO* other = outcome.refusedBy ? outcome.refusedBy : outcome.replaced.get();
        trail.outcomes.push_back(
            std::string(d.name) + ' ' + std::to_string(static_cast<int>(outcome.placement)) + ' ' +
            (other ? other->name : "-") + ' ' + (outcome.placed ? outcome.placed->name : "-"));
    }
    for (const auto& item : list) trail.order.push_back(item ? item->name : "<null>");
    trail.trace = trace.lines();
    return trail;
}

TEST(HeldDriverIndex, PlacesAsTheWalkOverEveryHeldEntry) {
    const char* const families[] = {"ABCD0001", "abcd0001", "ABCD0002", "ABCDEFG\x82"};
    const char* const suffixes[] = {"EFGH5678", "efgh5678", "IJKL9012", "aBCDEFGH"};
    const char* const others[] = {"ABCD00011", "ABC", "ABCD0002EFGH567"};
    const char* const types[] = {"SOUND", "display", "SYSPATCH", "MODEM", ""};
    std::mt19937 random(20261208);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (unsigned codePage : {1252u, 932u}) {
        const text::CodePage cp(codePage);
        for (int round = 0; round < 60; ++round) {
            std::vector<std::string> ids, names;
            std::vector<Driver> drivers;
            for (int i = 0; i < 40; ++i) {
                std::string id = families[pick(std::size(families))];
                const std::size_t shape = pick(5);
                if (shape >= 2) id += suffixes[pick(std::size(suffixes))];
                if (shape == 4) id = others[pick(std::size(others))];
                ids.push_back(id);
                names.push_back("d" + std::to_string(i));
            }
            for (std::size_t i = 0; i < ids.size(); ++i)
                drivers.push_back({ids[i].c_str(), types[pick(std::size(types))],
                                   static_cast<std::int32_t>(pick(4)), names[i].c_str()});
            const bool emptySlotFirst = round % 7 == 0;
            const OfferTrail walked = offerAll(drivers, emptySlotFirst, [&](auto& list, auto item) {
                return items::placeInInstallOrder(list, std::move(item), cp);
            });
            listjob::HeldDriverIndex index;
            const OfferTrail indexed = offerAll(
                drivers, emptySlotFirst,
                [&](auto& list, auto item) { return index.place(list, std::move(item), cp); });
            ASSERT_EQ(indexed.outcomes, walked.outcomes) << codePage << " round " << round;
            ASSERT_EQ(indexed.order, walked.order) << codePage << " round " << round;
            ASSERT_EQ(indexed.trace, walked.trace) << codePage << " round " << round;
        }
    }
}

}  // namespace
}  // namespace mfg::test
