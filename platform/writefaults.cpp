#include "writefaults.h"

namespace platform {

namespace {

WriteFaultHook& hook()
{
    static WriteFaultHook current;
    return current;
}

} // namespace

void setWriteFaultHook(WriteFaultHook h)
{
    hook() = std::move(h);
}

int injectedWriteFault(WriteStep step)
{
    const WriteFaultHook& h = hook();
    return h ? h(step) : 0;
}

} // namespace platform
