#include "ui/windows/FontRoutines.h"

#include <utility>

#include "ui/windows/DpiRoutines.h"

TFont::~TFont()
{
    if (Font != nullptr)
        DeleteObject(Font);
}

TFont::TFont(TFont&& Other) noexcept
    : Font(std::exchange(Other.Font, nullptr))
{
}

TFont& TFont::operator=(TFont&& Other) noexcept
{
    if (this != &Other) {
        if (Font != nullptr)
            DeleteObject(Font);
        Font = std::exchange(Other.Font, nullptr);
    }
    return *this;
}

TFont TahomaFont(int CharacterHeight, UINT Dpi, bool Bold)
{
    // A negative height asks for the character height, internal leading excluded.
    return TFont(CreateFontW(-Scaled(CharacterHeight, Dpi), 0, 0, 0, Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                             FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}
