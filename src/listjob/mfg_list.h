// The list object: everything one list run knows, from MFG_InitMfgList to
// the end of the create call.  Its start-up settles the mode, the folders,
// the group and the OS variant from the host's command line and the machine;
// the create call then turns process files into the install list.
//
// Its state comes in two parts: what start-up settled (startUp), which a
// list request reads, and what the create call builds up (request).
// Both are public: the list flows, the entry reader, the filters and the
// list writes are all operations on this one object and read them freely.
// The rules they apply live below it (items/, output/), as functions of
// their inputs; the flows and filters take the reader they work on, and
// the flows and writes the list file they write, so that each can be run on
// a reader and a file of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "items/filters.h"
#include "items/fixed_field.h"
#include "items/iteminfo.h"
#include "items/keys.h"
#include "listjob/held_driver_index.h"
#include "text/codepage.h"

namespace mfg {

struct SYSTEMINFO;
class CParseIniFile;
namespace output {
class ListFile;
}

namespace listjob {

struct SectionAt;
class DecisionObserver;

// What start-up settles from the list kind, the drive number, the host's
// command line and the machine, before any process file is read.  A list
// request changes none of it but procFile, which the CD-ROM media's
// requests point at each of the media's fixed files in turn.
struct StartUpSettings {
    std::int32_t osVariant = 0;    // MFG_WIN_XP32, MFG_WIN_VISTA32 or MFG_WIN_VISTA64
    std::int32_t listKind = 0;     // as the host gave it, whatever the value
    std::int32_t callFactory = 0;  // -F: read the group section's extended settings
    std::int32_t cdRom = 0;        // 1: the fixed process files of the CD-ROM media
    std::string workDir;           // $TESTDIR, ends in a backslash after start-up
    std::string procFile;          // the process file a flow walks
    std::string procDir;           // $MFGPROCPATH
    std::string groupName;         // entries selected and the settings section
};

// What the create call builds up, empty until it starts: where the list
// goes and how far it got, the section being read, the held drivers, and
// what the machine and the host answer once for the call.
struct RequestState {
    std::string outputPath;  // the list file
    std::int32_t entriesWritten = 0;
    std::string packetName;   // $PACKETNAME of the section being read
    std::string sectionName;  // $SECTORNAME of the section being read
    std::vector<std::unique_ptr<ITEMINFO>> driverList;
    // Finds the held entries a new driver relates to without a walk over
    // driverList; AddDriverItem keeps it.
    HeldDriverIndex driverIndex;
    // The Windows directory for path macros, asked of the machine once per
    // create call (it cannot change within one); unset outside a create call,
    // where every expansion asks again.
    bool holdsRunValues = false;
    mutable std::optional<std::string> windowsDir;
    // The host's IDs as the ID filter looks them up, made once per create
    // call (matchId).
    std::optional<items::HostIds> hostIds;
};

}  // namespace listjob

inline constexpr int kWriteSystemForm = 1;  // WriteSection: the SYSTEM section
inline constexpr int kWriteEntryForm = 0;   // WriteSection: one entry section

class CMfgList {
public:
    // Runs the whole start-up: drive number, then ParseCommandLine, then
    // DetectOsVersion.  A null command line is read as an empty one.
    CMfgList(int kind, const char* commandLine, int driveNumber);
    virtual ~CMfgList();
    CMfgList(const CMfgList&) = delete;
    CMfgList& operator=(const CMfgList&) = delete;

    // Start-up (command_line.cpp, module_path.cpp, os_version.cpp).  The
    // code-page overload exists so that the whole line is read with one code
    // page and so that tests can choose one; the other uses the active page.
    int ParseCommandLine(const std::string& commandLine);
    int ParseCommandLine(const std::string& commandLine, const text::CodePage& cp);
    std::string GetModulePath(const std::string& fileName) const;
    void DetectOsVersion();

    // Path macros (expand_macros.cpp).
    std::string ExpandMacros(std::string source) const;
    std::string ExpandMacros(std::string_view source, const text::CodePage& cp) const;
    // A record's field with its macros expanded, in place; a value that no
    // longer fits is cut and traced as coming from `origin`.
    void expandField(char* field, std::size_t width, items::Key key,
                     const items::FieldOrigin& origin) const;
    template <std::size_t N>
    void expandField(char (&field)[N], items::Key key, const items::FieldOrigin& origin) const {
        expandField(field, N, key, origin);
    }

    // Install entries (read_item.cpp, filters.cpp).  ReadItem fills a
    // zero-filled record from the section the reader stands on and sets the
    // current section and package names; 0 only for a null record.  The
    // filters answer 1 when that section passes, else 0.
    int ReadItem(ITEMINFO* item, CParseIniFile& section);
    int ExpandItemPaths(ITEMINFO* item);
    int IsTypeMatch(CParseIniFile& section);
    int IsGroupMatch(CParseIniFile& section);
    int IsIdMatch(CParseIniFile& section, int idCount, const char* const* ids);
    // IsIdMatch, telling which host ID matched and how.
    items::IdMatch matchId(CParseIniFile& section, int idCount, const char* const* ids);
    // The filters of the flows, each telling the observer (if any) when it
    // leaves the section out; `at` is null when nobody observes.
    bool passesType(CParseIniFile& section, const listjob::SectionAt* at);
    bool passesGroup(CParseIniFile& section, const listjob::SectionAt* at);
    bool passesId(CParseIniFile& section, int idCount, const char* const* ids,
                  const listjob::SectionAt* at);

    // The list file (system_settings.cpp, list_writes.cpp).  A list request
    // opens one list file and hands it to every write it runs; each operation
    // without `file` opens the list file at outputPath for itself and commits
    // it when it returns.  WriteSection's form 1 (kWriteSystemForm) writes
    // SYSTEM from `settings`, any other value the entry section named by
    // entriesWritten.
    int ReadSystemInfo();
    int ReadSystemInfo(output::ListFile& file);
    int ExpandSystemPaths(SYSTEMINFO* settings);
    int WriteSection(int form, const SYSTEMINFO* settings, const ITEMINFO* entry);
    int WriteSection(output::ListFile& file, int form, const SYSTEMINFO* settings,
                     const ITEMINFO* entry);
    int WriteCount();
    int WriteCount(output::ListFile& file);
    int WriteDriverList();
    int WriteDriverList(output::ListFile& file);

    // Write-as-you-go flows into `file` over the process file at procFile
    // (list_requests.cpp), walked with `reader` (the library's one reader;
    // null when it could not be made); 0 when it cannot be opened.
    int WriteMatchedItems(output::ListFile& file, CParseIniFile* reader, int idCount,
                          const char* const* ids);
    int BuildSoftList(output::ListFile& file, CParseIniFile* reader);

    // List requests.  `ids` holds `idCount` non-null texts (the exports make
    // it so); `idCount` <= 0 means no IDs and the array is not read.
    int CreateIniFile(int idCount, const char* const* ids, const std::string& path);
    int CreateAllSoftIniFile(const std::string& path);

    // Driver list order (driver_list.cpp, items/driver_order.h).  GetTypeRank gives the
    // install-order rank of a TYPE, 0 to 12.  AddDriverItem owns the record
    // in every case: it joins the list in key order, takes the place of the
    // held entry it supersedes, or is released before the call returns.  1
    // only when the list grew.  The code-page overload is for tests.
    static int GetTypeRank(std::string type);
    int AddDriverItem(std::unique_ptr<ITEMINFO> item);
    int AddDriverItem(std::unique_ptr<ITEMINFO> item, const text::CodePage& cp);

    // The CD-ROM driver list (cdrom_driver_list.cpp): matched entries of
    // DrvProc.ini in install order, then every driver entry of DrvCofg.ini
    // as it comes, written into `file` once at the end.  The collectors walk
    // the file at procFile with `reader`; 0 when it cannot be walked.
    int CreateCdRomDriverList(output::ListFile& file, CParseIniFile* reader, int idCount,
                              const char* const* ids);
    int CollectMatchedDrivers(output::ListFile& file, CParseIniFile* reader, int idCount,
                              const char* const* ids);
    int CollectConfigDrivers(output::ListFile& file, CParseIniFile* reader);

    // Process files read whole or not at all (process_file_walk.cpp).
    // A file that is not there is skipped, as a media without it; one that
    // is there but cannot be opened or read to its end fails the list run:
    // the failure is traced and `file`, the run's list file, is abandoned, so
    // it stays as it was.  openProcessFile opens procFile for a walk (1
    // opened); endProcessFileWalk closes it, 1 when the walk reached the end
    // of the file.  readProcessFileText gives the whole text of procFile for
    // the settings lookups ("" when it is not there); false when the run
    // failed.
    int openProcessFile(output::ListFile& file, CParseIniFile& reader);
    int endProcessFileWalk(output::ListFile& file, CParseIniFile& reader);
    bool readProcessFileText(output::ListFile& file, std::string& text);

    // Ends the section reader's life and releases every held driver entry.
    int FreeItems();

    listjob::StartUpSettings startUp;
    listjob::RequestState request;
    // Told of every decision of the list requests; none in the library, so
    // that a factory run does and costs what it always did.
    listjob::DecisionObserver* decisionObserver = nullptr;
};

}  // namespace mfg
