#include "platform/ui/guarded.h"

namespace {
// Only the GUI thread paints.
int g_nPaintDepth = 0;
} // namespace

CPaintScope::CPaintScope()
{
    ++g_nPaintDepth;
}

CPaintScope::~CPaintScope()
{
    --g_nPaintDepth;
}

bool CPaintScope::Inside()
{
    return g_nPaintDepth > 0;
}
