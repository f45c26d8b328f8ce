#include "FormHandlersFixture.h"
#include "config/KlavoraConfigRoutines.h"
#include "midi/MIDIDevicesRoutines.h"

// The output device is remembered by name, and the list follows the system.

namespace {

using enum TFormControl;
using TTexts = std::vector<std::string>;

constexpr const char* OutOfRange = "The specified device identifier is out of range.";

class FormDevicesTest : public FormHandlersTest {
protected:
    // The program stops and starts again on the system's devices of now.
    void Restart()
    {
        Form.reset();
        MIDIDevices.Clear();
        Service.ClearRecords();
        MIDIDevices.Enumerate();
        CreateFormKeepingTraffic();
    }

    TTexts Played(const std::string& Port) const
    {
        TTexts Notes;
        for (const std::string& Message : Service.SentTo(Port))
            if (Message.rfind("C", 0) != 0)
                Notes.push_back(Message);
        return Notes;
    }
};

}

TEST_F(FormDevicesTest, TheChosenPortIsFoundByNameWhereverItHasMovedSinceAndStoredThere)
{
    CreateForm();
    Form->ComboBox1Change(2);
    EXPECT_EQ(KeyboardConfig.GetDeviceName(), "Synth Two");

    // A port that registered before the next start takes Synth Two's old place.
    Service.DeviceNames = {"Synth Zero", "Synth One", "Synth Two"};
    Restart();
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 3);
    EXPECT_EQ(View[ComboBox1].ItemIndex, 3);
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    EXPECT_EQ(Played("Synth Two"), (TTexts{"90 30 67", "80 30 00"}));
    EXPECT_TRUE(Service.SentTo("Synth One").empty());
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(FormDevicesTest, AStoredPortThatIsNotThereIsToldOncePlaysNothingAndIsUsedOnceItIsBack)
{
    KeyboardConfig.SetDeviceName("Synth Three");
    KeyboardConfig.SetDeviceID(2);
    CreateForm();
    EXPECT_EQ(Errors.Messages, TTexts{OutOfRange});
    EXPECT_EQ(View[ComboBox1].ItemIndex, -1);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), -1);
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    EXPECT_TRUE(Service.Sent.empty()) << "no other port plays it";
    EXPECT_EQ(View.LitKeys().size(), 0u);

    // Looking at the list while it is still away says nothing more.
    Form->ComboBox1DropDown();
    EXPECT_EQ(Errors.Messages.size(), 1u);

    Service.DeviceNames = {"Synth One", "Synth Three", "Synth Two"};
    Form->ComboBox1DropDown();
    EXPECT_EQ(View[ComboBox1].Items, (TTexts{MapperName, "Synth One", "Synth Three", "Synth Two"}));
    EXPECT_EQ(View[ComboBox1].ItemIndex, 2);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 2);
    PressKey(KeyZ);
    EXPECT_EQ(Service.SentTo("Synth Three"), (TTexts{"C0 00", "90 30 67"}));
    ReleaseKey(KeyZ);

    // Gone again, Reset says so; back again, Reset plays into it.
    Service.DeviceNames = {"Synth One"};
    Form->Button2Click();
    EXPECT_EQ(Errors.Messages, (TTexts{OutOfRange, OutOfRange}));
    EXPECT_EQ(View[ComboBox1].Items, (TTexts{MapperName, "Synth One"}));
    Service.DeviceNames = {"Synth Three", "Synth One"};
    Service.ClearRecords();
    Form->Button2Click();
    EXPECT_EQ(Service.SentTo("Synth Three"), TTexts{"C0 00"});
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 1);
    EXPECT_EQ(Errors.Messages.size(), 2u);
}

TEST_F(FormDevicesTest, APortInUseThatGoesFailsItsSendsAndIsConnectedAgainWhenItReturns)
{
    CreateForm();
    Form->ComboBox1Change(2);
    Service.DeviceNames = {"Synth One"};
    Form->DevicesChanged();
    EXPECT_EQ(View[ComboBox1].Items, (TTexts{MapperName, "Synth One"}));
    EXPECT_EQ(View[ComboBox1].ItemIndex, -1);
    PressKey(KeyZ);
    ReleaseKey(KeyZ);
    EXPECT_EQ(Errors.Messages, (TTexts{"The specified device handle is invalid.", "The specified device handle is invalid."}));
    EXPECT_TRUE(Service.SentTo("Synth One").empty());

    Service.DeviceNames = {"Synth Two", "Synth One"};
    Service.ClearRecords();
    Form->DevicesChanged();
    EXPECT_EQ(View[ComboBox1].ItemIndex, 1);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 1);
    PressKey(KeyZ);
    EXPECT_EQ(Service.SentTo("Synth Two"), (TTexts{"C0 00", "90 30 67"}));
    EXPECT_EQ(Service.OpenDevices().size(), 1u);
}

TEST_F(FormDevicesTest, SettingsWithoutANameStartByPositionWritingNothingUntilTheUserChooses)
{
    CreateFormKeepingTraffic();
    EXPECT_EQ(Folder.Read("Setup.ini").find("DeviceName"), std::string::npos);
    KeyboardConfig.SetDeviceID(2);
    const std::string Stored = Folder.Read("Setup.ini");
    Restart();
    EXPECT_EQ(Folder.Read("Setup.ini"), Stored);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{1});
    Form->ComboBox1Change(1);
    EXPECT_EQ(KeyboardConfig.GetDeviceName(), "Synth One");
}
