#include <Orvane/spatial/lowest_common_ancestor.h>

namespace Orvane {

Entity *lowestCommonAncestor(Entity *a, Entity *b, Entity *fallbackRoot)
{
    if (!a)
        return b;
    if (!b)
        return a;
    while (a && b && a->depth() > b->depth())
        a = a->parentEntity();
    while (a && b && b->depth() > a->depth())
        b = b->parentEntity();
    while (a && b && a != b) {
        a = a->parentEntity();
        b = b->parentEntity();
    }
    return (a && a == b) ? a : fallbackRoot;
}

} // namespace Orvane
