// The walks of the category tree over its nodes: finding the node of a path, collecting the checked places, the
// place a job's source has at its destination, and the searches among a node's children by name and kind.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/String.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

// The node of path below start (case ignored, trailing backslashes too). A child is entered only where its path
// followed by a backslash begins the path; a child without a path (My Computer) is entered, the network's kinds
// only for a network path ("\\server..."). A branch that finds nothing hands on to the next child. Children are
// filled as the search enters them. Null when no node has the path.
BaseNode *FindNodeForPath(BaseNode *start, const CString &path);

// The checked places below root, breadth-first, without filling any node: a checked folder, share or drive gives
// its path with one trailing backslash, a checked kind of files its include text ("ZZZ;" + list + ";"), any other
// checked node its path. Partly checked nodes and nodes without a check box are looked into (when filled).
void CollectChecked(BaseNode *root, std::vector<CString> &places);

// Where the restore view looks for a job's source at the job's destination dest: a source with a drive letter by
// its last folder's name ("C:\Users\Bob\Docs\" under "X:\Backup\" is "X:\Backup\Docs"), any other source as it
// stands, both joined to dest with one backslash. Empty for a drive-letter source of fewer than two backslashes
// (a drive root) and for an empty destination.
CString RestoreViewPlace(const CString &source, const CString &dest);

// The first child whose display name equals name (case ignored); the node is filled for the search.
BaseNode *FindChildNamed(BaseNode *node, const CString &name);
// The first child whose display name begins with prefix (case ignored) and goes on with no letter.
BaseNode *FindChildNamedFrom(BaseNode *node, const CString &prefix);
BaseNode *FindChildOfKind(BaseNode *node, DWORD kind);

} // namespace FileTree
