#include "platform/HandleMap.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<CTempMapBase *> &ThreadTempMaps()
{
    thread_local std::vector<CTempMapBase *> maps;
    return maps;
}

} // namespace

CTempMapBase::CTempMapBase()
{
    ThreadTempMaps().push_back(this);
}

CTempMapBase::~CTempMapBase()
{
    auto &maps = ThreadTempMaps();
    maps.erase(std::remove(maps.begin(), maps.end(), this), maps.end());
}

void AfxDeleteTempMaps()
{
    // A copy: deleting a wrapper never creates a map, but a map list that changed under the loop would be
    // read past its end.
    std::vector<CTempMapBase *> maps = ThreadTempMaps();
    for (CTempMapBase *map : maps)
        map->DeleteAll();
}
