#include "support/VCLRoutines.h"

void PutStringAt(TStringList* List, const std::string& Text, int32_t Position)
{
    if (List == nullptr || Position < 0)
        return;
    const auto Index = static_cast<size_t>(Position);
    if (Index >= List->size())
        List->resize(Index + 1);
    (*List)[Index] = Text;
}
