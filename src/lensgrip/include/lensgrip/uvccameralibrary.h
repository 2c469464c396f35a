#pragma once

#include "lensgrip/lensgrip_export.h"

#include <cstdint>
#include <memory>

namespace lensgrip {
class DeviceBackend;
class DeviceHandle;
} // namespace lensgrip

class UVCXU;

// A control's range: minimum, maximum and default value, in this order.
struct uvc_ranges_t
{
    int minimum;
    int maximum;
    int defaultValue;
};

// One USB (UVC) pan-tilt-zoom camera: the device list, the connection by name, continuous and absolute
// motion, the control ranges and the camera's on-screen menu keys. Results of type long are COM-style
// codes (see lensgripresult.h): negative is failure. Diagnostics go to standard output.
class LENSGRIP_EXPORT UVCCameraLibrary
{
public:
    UVCCameraLibrary();
    // Uses the given device backend instead of the process-wide one.
    explicit UVCCameraLibrary(std::shared_ptr<lensgrip::DeviceBackend> backend);
    ~UVCCameraLibrary();

    UVCCameraLibrary(const UVCCameraLibrary &) = delete;
    UVCCameraLibrary &operator=(const UVCCameraLibrary &) = delete;

    // names: caller-owned array of pointers to writable 256-byte buffers; at most 128 devices are listed.
    // A name repeated by several devices gets " #1", " #2", ... from its second device on.
    static void listDevices(char **names, int &count);
    bool connectDevice(char *deviceName);
    void disconnectDevice();

    long movePanOneLeft(int speed);
    long movePanOneRight(int speed);
    long moveTiltOneTop(int speed);
    long moveTiltOneBottom(int speed);
    long zoomOneIn(int speed);
    long zoomOneOut(int speed);
    long focusOneIn(int speed);
    long focusOneOut(int speed);
    long stopMoving();
    long stopZooming();
    long stopFocusing();
    long moveHome();
    long moveAbsPTZ(int pan, int tilt, int zoom);
    long setAutoFocus(bool on);
    bool getAutoFocus();
    long getPan();
    long getTilt();
    long getZoom();
    long getFocus();
    uvc_ranges_t getPanCtrlRanges();
    uvc_ranges_t getTiltCtrlRanges();
    uvc_ranges_t getZoomCtrlRanges();
    uvc_ranges_t getFocusCtrlRanges();

    long checkOSDMenu();
    long osdMenuOpenClose();
    long osdMenuEnter();
    long osdMenuBack();
    long osdMenuUp();
    long osdMenuDown();
    long osdMenuLeft();
    long osdMenuRight();

private:
    enum Axis { Pan = 0, Tilt, Zoom, Focus, AxisCount };

    void getCameraInfo(const char *devicePath);
    long getControlRanges();
    bool getPropRanges(uint32_t controlId, bool continuous, uvc_ranges_t &range, int32_t &rawMinimum);
    uvc_ranges_t ctrlRanges(Axis axis) const;
    long moveCamera(uint32_t controlId, int32_t value);
    long moveCameraAxis(Axis axis, int value);
    long moveCameraPan(int value);
    long moveCameraTilt(int value);
    long moveCameraZoom(int value);
    long moveCameraFocus(int value);
    long setAuto(uint32_t controlId, bool on);
    bool getAuto(uint32_t controlId);
    long getVal(uint32_t controlId);
    long stopControling(Axis axis);
    long pressMenuKey(uint8_t selector);
    static int preProcessConVal(int value, const uvc_ranges_t &range);
    static int preProcessAbsVal(int value, const uvc_ranges_t &range);

    std::shared_ptr<lensgrip::DeviceBackend> m_backend;
    std::shared_ptr<lensgrip::DeviceHandle> m_device; // the connected device; null while disconnected
    uvc_ranges_t m_continuousRange[AxisCount] = {};
    uvc_ranges_t m_absoluteRange[AxisCount] = {};
    // The continuous control's own minimum: whether it can run backwards or stand still at all.
    int32_t m_continuousRawMinimum[AxisCount] = {};
    bool m_cameraControl = true;
    bool m_continuousSupported[AxisCount] = {true, true, true, true};
    bool m_absoluteSupported[AxisCount] = {true, true, true, true};
    // Last speeds sent for pan and tilt: one UVC control carries both, so each write repeats the other.
    int32_t m_panSpeed = 0;
    int32_t m_tiltSpeed = 0;
    int m_productId = 0;
    int m_vendorId = 0;
    UVCXU *m_extensionUnit = nullptr;
    unsigned long m_menuControlLength = 0;
};
