#pragma once
// Which capture devices exist: cameras (V4L2 devices that can capture, with
// the colour formats, sizes and inputs they report), sound inputs (ALSA
// capture devices), and how to open each. The system directory looks at the
// machine; tests hand the control a directory of their own.

#include "capture/capturesource.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

namespace korvel
{

struct VideoDevice {
    QString name;              // shown in the device list
    QString id;                // "/dev/video0"; "lavfi:GRAPH" for FFmpeg's filter-graph stand-in
    QStringList colourFormats; // "MJPG", "YUYV", ... as the device names them
    QList<QSize> sizes;        // smallest first
    QSize currentSize;         // the size it reports it films at now; empty: unknown
    QStringList inputs;
    double rate = 30; // what it films at unless told otherwise
    bool testCamera = false;
};

struct SoundDevice {
    QString name;
    QString id; // ALSA "hw:1,0"
};

class DeviceDirectory
{
public:
    virtual ~DeviceDirectory() = default;
    virtual QList<VideoDevice> videoDevices() = 0;
    virtual QList<SoundDevice> soundDevices() = 0;
    virtual std::unique_ptr<CaptureSource> open(const VideoDevice& device) = 0;
    // A folder whose changes mean devices came or went ("/dev"); empty: none.
    virtual QString watchedFolder() const { return {}; }
};

// The machine's V4L2 cameras and ALSA sound inputs.
std::unique_ptr<DeviceDirectory> systemDevices();

// The test camera's entry in the device list.
VideoDevice testCameraDevice();

// Describes a filter-graph stand-in camera: "lavfi:" + graph.
VideoDevice lavfiDevice(const QString& name, const QString& graph, QSize size, double rate);

} // namespace korvel
