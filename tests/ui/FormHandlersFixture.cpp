#include "FormHandlersFixture.h"

#include <cstdio>


TRecordingFormView::TRecordingFormView()
{
    for (const TControlPlace& Place : FormControls())
        Controls[static_cast<size_t>(Place.Control)].Enabled = Place.Kind != TControlKind::TrackBar;
}

std::vector<int32_t> TRecordingFormView::LitKeys() const
{
    std::vector<int32_t> Keys;
    for (int32_t Offset = 0; Offset < PianoKeyCount; ++Offset)
        if (Lit[Offset])
            Keys.push_back(Offset);
    return Keys;
}

void TRecordingFormView::ShowItems(TFormControl List, const std::vector<std::string>& Items)
{
    Controls[static_cast<size_t>(List)].Items = Items;
    Controls[static_cast<size_t>(List)].ItemIndex = -1;
}

void TRecordingFormView::ShowItemIndex(TFormControl List, int32_t Index)
{
    Controls[static_cast<size_t>(List)].ItemIndex = Index;
}

void TRecordingFormView::ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position)
{
    TControlLook& Look = Controls[static_cast<size_t>(Bar)];
    Look.Min = Min;
    Look.Max = Max;
    Look.Frequency = Frequency;
    Look.Position = Position;
}

void TRecordingFormView::ShowEnabled(TFormControl Control, bool Enabled)
{
    Controls[static_cast<size_t>(Control)].Enabled = Enabled;
}

void TRecordingFormView::ShowHint(TFormControl Control, const std::string& Hint)
{
    Controls[static_cast<size_t>(Control)].Hint = Hint;
}

void TRecordingFormView::ShowCaption(TFormControl Button, TColor Color, bool Bold)
{
    Controls[static_cast<size_t>(Button)].Caption = Color;
    Controls[static_cast<size_t>(Button)].Bold = Bold;
}

void TRecordingFormView::ShowLit(int32_t Offset, bool On)
{
    Lit[static_cast<size_t>(Offset)] = On;
}

std::string ProgramChange(int Channel, int Program)
{
    char Text[8];
    std::snprintf(Text, sizeof Text, "%02X %02X", 0xC0 + Channel - 1, Program);
    return Text;
}

void FormHandlersTest::CreateFormKeepingTraffic()
{
    Form = std::make_unique<TFormHandlers>(View);
    Form->FormCreate();
}

void FormHandlersTest::CreateForm()
{
    CreateFormKeepingTraffic();
    Service.ClearRecords();
}

void FormHandlersTest::MousePress(int32_t Offset, TMouseButton Button)
{
    View.ButtonsDown.Include(Button);
    Form->KeyboardButtonMouseDown(Offset, Button, View.ButtonsDown);
}

void FormHandlersTest::MouseRelease(TMouseButton Button)
{
    View.ButtonsDown.Exclude(Button);
    Form->FormMouseUp(Button);
}

void FormHandlersTest::Click(int32_t Offset, TMouseButton Button)
{
    MousePress(Offset, Button);
    MouseRelease(Button);
}
