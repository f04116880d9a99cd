#pragma once
// `korvel --capture`: the capture screen with the device panels standing in
// for the main screen, until the main screen hosts them. A recording's
// hand-over to review is shown as a message.

#include <QApplication>

namespace korvel
{

class Settings;
class Prompt;

int runCaptureStandIn(QApplication& app, Settings& settings, Prompt& prompt);

} // namespace korvel
