// Putting remembered places back as checks of a rebuilt tree: the texts a collection of checked places gave (or a
// job's sources) are recorded as lower-cased paths with the state each one's node takes (3 checked; 4 on the way
// to a checked place), drive paths in one map, network paths per workgroup and computer (as each server names
// itself); the maps are then applied from start nodes, filling only the nodes on the recorded ways.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "platform/system/Seam.h"
#include "platform/text/String.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

// The workgroup (or domain) and the computer name a server gives for itself (NetWkstaGetInfo at level 100 unless a
// test puts another answer in); FALSE when the server does not answer.
typedef BOOL (*PFN_WORKSTATION_NAMES)(LPCWSTR server, CString &group, CString &computer);
extern Seam<PFN_WORKSTATION_NAMES> g_pfnWorkstationNames;

// A lower-cased path and the state its node takes.
typedef std::map<CString, int> PathStates;

struct RememberedServer
{
    CString computer;
    PathStates paths;
};
struct RememberedGroup
{
    CString name;
    std::vector<RememberedServer> servers;
};

struct RememberedChecks
{
    PathStates drives;
    std::vector<RememberedGroup> network;
    // The extension lists of remembered kinds of files (lower-cased).
    std::vector<CString> categories;
};

// Records the texts, in order: "x:\" alone checked; a longer drive path partly checks "x:\" and every folder on its
// way and checks itself; "\\server\share\..." the same below its share, in the record of the computer the server
// names (one query per text; a server that does not answer records nothing); "ZZZ;" + list + ";" a kind of files.
// Other texts, texts shorter than 3 characters and a server without a share are passed over.
RememberedChecks RecordRememberedChecks(const std::vector<CString> &texts);

// Applies the paths breadth-first from the start nodes (a null one is skipped): a child whose path (lower-cased, a
// folder's with a backslash) is recorded 3 is checked, one recorded 4 is filled and looked into; each entry is used
// once, and the walk ends when all are. What no node matches is dropped.
void ApplyPathStates(const std::vector<BaseNode *> &starts, PathStates paths);

// Applies the servers' paths below the network node: through its entire network and Windows network provider to
// the group (by name) and the server (its name beginning with the computer name), else among the network node's
// own children. Nothing happens without a network node.
void ApplyNetworkStates(BaseNode *network, const std::vector<RememberedGroup> &groups);

} // namespace FileTree
