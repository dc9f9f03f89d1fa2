// What a backup walk knows of the target folders of the listings it walks, one per level of the walk: each is
// listed once, when the first file of its listing needs it, in place of one look at the target of every file.
// A target folder that was missing (or that the walk made itself) holds nothing the walk has to compare, and
// neither do the target folders of the listings below it, which are then not listed at all.
//
// The listing goes through the walk's listing seams (g_pfnFindFirstFile, g_pfnFindNextFile) with the pattern
// folder + "*". When it cannot be made or breaks off, or a name stands in it in two cases, the walk looks at
// those targets one by one as before (Known::Unknown).
#pragma once
#include <windows.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/text/String.h"

// A listing record's attributes, times and size, as an attribute probe gives them.
WIN32_FILE_ATTRIBUTE_DATA AttributeDataOf(const WIN32_FIND_DATAW &found);

class CTargetFolders
{
  public:
    enum class Known
    {
        Listed, // the listing says whether the target is there and what it holds
        Absent, // the folder is missing or was made by this walk: no target is there
        Unknown // the target has to be looked at by itself
    };

    // Starts level depth of the walk (0: the source folder itself) with the target folder path (ending in a
    // backslash; empty when the level has none, and then every target is Unknown). Depths start at 0 and
    // grow by one.
    void Enter(size_t depth, const CString &path);

    // Whether the target (a full path) is there (present, with data) as far as the level knows; lists the
    // folder when it was not listed yet. A target outside the level's folder is Unknown.
    Known Find(size_t depth, const CString &target, WIN32_FILE_ATTRIBUTE_DATA &data, bool &present);

    // The three below concern the level's folder only when folder (ending in a backslash) is that folder: for
    // any other folder IsReady and MakeMissing answer FALSE and SetReady does nothing.
    // TRUE when the folder is known to stand: listed, made, or found by the caller.
    bool IsReady(size_t depth, const CString &folder) const;
    // The caller made sure the folder stands (existed tells whether it was there before): from now on it is
    // not made again, and targets in a folder that turned out to exist are looked at one by one.
    void SetReady(size_t depth, const CString &folder, bool existed);
    // Makes the level's missing folder with one creation, after the missing folders of the levels above it;
    // TRUE when it now stands. FALSE when it was not known missing or could not be made so: the caller makes
    // it the long way, which tells why it fails.
    bool MakeMissing(size_t depth, const CString &folder);

  private:
    enum class State
    {
        NotListed,
        Listed,
        Absent,
        Unknown
    };
    struct Level
    {
        CString path;
        State state = State::NotListed;
        bool ready = false;
        // Listed: the entries by their upper-cased names; names held in two cases are in ambiguous.
        std::unordered_map<CString, WIN32_FILE_ATTRIBUTE_DATA> entries;
        std::unordered_set<CString> ambiguous;
    };
    void List(Level &level);
    bool MakeLevel(size_t depth);
    // The level when folder is its folder, else nullptr.
    Level *LevelOf(size_t depth, const CString &folder);

    std::vector<Level> m_levels;
};
