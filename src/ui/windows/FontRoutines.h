#pragma once

#include <windows.h>

// A font the program made, freed with it.
class TFont {
public:
    TFont() = default;
    explicit TFont(HFONT Handle)
        : Font(Handle)
    {
    }
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    TFont(TFont&& Other) noexcept;
    TFont& operator=(TFont&& Other) noexcept;

    HFONT Handle() const { return Font; }

private:
    HFONT Font = nullptr;
};

// Tahoma with a character height of CharacterHeight pixels at 96 dots per
// inch, scaled to Dpi: the font of every window of the program.
TFont TahomaFont(int CharacterHeight, UINT Dpi, bool Bold = false);
