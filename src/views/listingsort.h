#pragma once
// The file pane's own orders: a listing sorted by one of its columns, and
// the folder an entry lies in, as that column shows it.
#include <functional>
#include <string>
#include <vector>

class CDATItem;

enum class ESortKey { kName, kType, kSize, kPacked, kOffset, kFolder };

// Stable: items that tie keep the order they had. Folders have no numbers and
// count as less than any file by size, packed size and offset.
void SortListingBy(std::vector<CDATItem*>& listing, ESortKey key, bool descending);

// By a text only the view knows (the source, the comparison's status), names
// breaking ties.
void SortListingByText(std::vector<CDATItem*>& listing, const std::function<std::string(const CDATItem&)>& text,
                       bool descending);

// The folders above item from the top, '\\' between them, in the archive's
// bytes ("art\\critters"); empty at the top.
std::string FolderPathOf(const CDATItem& item);
