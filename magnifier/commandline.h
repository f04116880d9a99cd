#pragma once
// The command line, read as one text: "/setup" alone opens the options sheet
// on its Setup page; otherwise switches anywhere in the text set the zoom, the
// refresh, the shutter sound and the start picture.

#include "magnifier/options.h"

#include <QString>
#include <QStringList>

namespace lensor
{

// The arguments after the program's name, joined as one command line.
QString joinedCommandLine(const QStringList& arguments);

// Applies the switches to the options; returns true for the setup request.
bool applyCommandLine(const QString& commandLine, Options& options);

// Whether an argument asks for the usage text (--help, -h, /?), which is
// printed before any window or display is touched.
bool asksForHelp(const QStringList& arguments);
// The usage text; optionsFile is where the options are kept.
QString usageText(const QString& optionsFile);

} // namespace lensor
