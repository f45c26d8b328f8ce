#include "app/DisplayOpeningRoutines.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <QString>

namespace {

struct THeldMessage {
    QtMsgType Type;
    std::string Category;
    QString Text;
};

// Qt may write from any of its threads.
std::mutex HeldLock;
QtMessageHandler ReplacedHandler = nullptr;
std::vector<THeldMessage> HeldMessages;

// Whether Qt said that a platform it was told to use is not installed: then
// the display is not what is missing.
bool PlatformMissing()
{
    for (const THeldMessage& Message : HeldMessages)
        if (Message.Text.contains(QLatin1String("Could not find the Qt platform plugin")))
            return true;
    return false;
}

void HoldMessage(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    std::unique_lock Lock(HeldLock);
    if (Type != QtFatalMsg) {
        HeldMessages.push_back({Type, Context.category != nullptr ? Context.category : "", Text});
        return;
    }
    // Qt ends its search for a window system with this fatal message when
    // every platform it tried failed to open its display.
    if (Text.contains(QLatin1String("no Qt platform plugin could be initialized")) && !PlatformMissing()) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage);
        std::fflush(nullptr);
        _exit(1);
    }
    const QtMessageHandler Handler = ReplacedHandler;
    Lock.unlock();
    DisplayOpeningStop();
    Handler(Type, Context, Text);
}

}

void DisplayOpeningStart()
{
    const std::lock_guard Lock(HeldLock);
    HeldMessages.clear();
    ReplacedHandler = qInstallMessageHandler(HoldMessage);
}

void DisplayOpeningStop()
{
    QtMessageHandler Handler = nullptr;
    std::vector<THeldMessage> Held;
    {
        const std::lock_guard Lock(HeldLock);
        if (ReplacedHandler == nullptr)
            return;
        qInstallMessageHandler(ReplacedHandler);
        Handler = std::exchange(ReplacedHandler, nullptr);
        Held.swap(HeldMessages);
    }
    for (const THeldMessage& Message : Held)
        Handler(Message.Type, QMessageLogContext(nullptr, 0, nullptr, Message.Category.c_str()), Message.Text);
}
