#pragma once

#include <optional>
#include <string>

#include <windows.h>
#include <uxtheme.h>

// How the main window's owner-drawn controls draw themselves.

// Draws a push button's face over Bounds in the state of an owner-drawn item
// (ODS_SELECTED, ODS_DISABLED): as the desktop's theme draws a push button
// when there is a theme, as classic Windows does otherwise. Fill, when
// given, covers the inside of the face. Returns the rectangle inside the
// face, where the caption goes.
RECT DrawPushButtonFace(HDC Dc, const RECT& Bounds, HTHEME Theme, UINT ItemState, std::optional<COLORREF> Fill);

// Draws a caption centred on one line in Content, clipped to it.
void DrawCaption(HDC Dc, const RECT& Content, const std::wstring& Text, HFONT Font, COLORREF Color);
