#include "JACKReceiver.h"

#include <cstdio>
#include <thread>

TReceiver::TReceiver(const std::string& Client, const std::string& Port)
    : In(RtMidi::UNIX_JACK, Client, 1024), Name(Client + ":" + Port)
{
    In.openVirtualPort(Port);
}

std::vector<std::string> TReceiver::Received(std::chrono::milliseconds Limit)
{
    std::vector<std::string> Texts;
    std::vector<unsigned char> Bytes;
    auto Deadline = std::chrono::steady_clock::now() + Limit;
    while (std::chrono::steady_clock::now() < Deadline) {
        In.getMessage(&Bytes);
        if (Bytes.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        std::string Text;
        for (const unsigned char Byte : Bytes) {
            char Hex[4];
            std::snprintf(Hex, sizeof Hex, Text.empty() ? "%02X" : " %02X", Byte);
            Text += Hex;
        }
        Texts.push_back(Text);
        Deadline = std::chrono::steady_clock::now() + Limit;
    }
    return Texts;
}
