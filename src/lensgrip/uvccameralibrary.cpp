#include "lensgrip/uvccameralibrary.h"

#include "lensgrip/devicebackend.h"
#include "lensgrip/devicehandle.h"
#include "lensgrip/lensgripresult.h"
#include "uvcconstants.h"
#include "uvcxu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace lensgrip;

namespace {

// The name a device is listed and connected by: its product name, and from the second device with the
// same product name on " #1", " #2", ..., cut to what fits the caller's 256-byte buffer.
std::string deviceName(const std::string &plainName, int earlierWithSameName)
{
    std::string name = plainName;
    if (earlierWithSameName > 0)
        name += " #" + std::to_string(earlierWithSameName);
    if (name.size() > size_t(uvc::kNameBufferSize - 1))
        name.resize(uvc::kNameBufferSize - 1);
    return name;
}

// Walks the cameras in the backend's order and calls visit(name, device) for each until it returns true.
// Only video capture nodes count (uvcvideo adds a metadata node per camera), and a camera with more
// than one capture node is listed once. A node that cannot be opened or asked for its name is skipped
// and does not take part in the numbering of repeated names.
template<typename Visit>
void forEachCamera(DeviceBackend &backend, Visit visit)
{
    const std::vector<std::string> nodes = backend.videoNodes();
    if (nodes.empty()) {
        std::printf("no device\n");
        return;
    }
    std::vector<std::string> plainNames;
    std::set<std::string> cameras;
    for (const std::string &node : nodes) {
        int error = 0;
        const std::shared_ptr<DeviceHandle> device = backend.open(node, error);
        DeviceCapabilities caps;
        if (!device || device->queryCapabilities(caps) < 0 || caps.card.empty()) {
            std::printf("Unable to get the device name\n");
            continue;
        }
        // device_caps describes this node; capabilities the whole device, which for uvcvideo's
        // metadata node still claims video capture.
        const uint32_t nodeCaps
            = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.deviceCaps : caps.capabilities;
        if (!(nodeCaps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE))
            || (nodeCaps & V4L2_CAP_META_CAPTURE))
            continue;
        if (!caps.busInfo.empty() && !cameras.insert(caps.busInfo + '\n' + caps.card).second)
            continue;
        const int earlier = int(std::count(plainNames.begin(), plainNames.end(), caps.card));
        plainNames.push_back(caps.card);
        if (visit(deviceName(caps.card, earlier), device))
            return;
    }
}

long resultOf(int error)
{
    return error < 0 ? resultFromErrno(-error) : kResultOk;
}

void printNoCameraControl()
{
    std::printf("This device does not support IAMCameraControl\n");
}

} // namespace

UVCCameraLibrary::UVCCameraLibrary() : UVCCameraLibrary(deviceBackend()) {}

UVCCameraLibrary::UVCCameraLibrary(std::shared_ptr<DeviceBackend> backend)
    : m_backend(backend ? std::move(backend) : deviceBackend()), m_extensionUnit(new UVCXU)
{}

UVCCameraLibrary::~UVCCameraLibrary()
{
    delete m_extensionUnit;
    m_extensionUnit = nullptr;
    m_productId = 0;
    m_vendorId = 0;
    m_cameraControl = true;
    m_device.reset();
}

void UVCCameraLibrary::listDevices(char **names, int &count)
{
    count = 0;
    if (!names)
        return;
    const std::shared_ptr<DeviceBackend> backend = deviceBackend();
    forEachCamera(*backend, [&](const std::string &name, const std::shared_ptr<DeviceHandle> &) {
        std::memcpy(names[count], name.c_str(), name.size() + 1);
        ++count;
        return count >= uvc::kMaxDevices;
    });
}

bool UVCCameraLibrary::connectDevice(char *deviceName)
{
    // A failed attempt must leave the object disconnected, not on the previous device.
    disconnectDevice();
    if (!deviceName)
        return false;
    bool connected = false;
    forEachCamera(*m_backend, [&](const std::string &name, const std::shared_ptr<DeviceHandle> &device) {
        if (name != deviceName)
            return false;
        m_device = device;
        std::printf("device path %s\n", device->node().c_str());
        std::string modalias;
        if (device->readModalias(modalias) < 0)
            modalias.clear();
        getCameraInfo(modalias.c_str());
        std::printf("vid_%x pid_%x\n", unsigned(m_vendorId), unsigned(m_productId));
        getControlRanges();
        connected = true;
        return true;
    });
    return connected;
}

void UVCCameraLibrary::disconnectDevice()
{
    m_device.reset();
    m_productId = 0;
    m_vendorId = 0;
    for (bool &supported : m_continuousSupported)
        supported = true;
    m_cameraControl = true;
    m_panSpeed = 0;
    m_tiltSpeed = 0;
}

void UVCCameraLibrary::getCameraInfo(const char *devicePath)
{
    // The USB interface's modalias names the device as "usb:v046Dp0825d0012dc...".
    unsigned vendor = 0;
    unsigned product = 0;
    if (devicePath && std::sscanf(devicePath, "usb:v%4xp%4x", &vendor, &product) == 2) {
        m_vendorId = int(vendor);
        m_productId = int(product);
    } else {
        m_vendorId = 0;
        m_productId = 0;
        std::printf("Failed to get camera information\n");
    }
}

bool UVCCameraLibrary::getPropRanges(uint32_t controlId,
                                     bool continuous,
                                     uvc_ranges_t &range,
                                     int32_t &rawMinimum)
{
    range = uvc_ranges_t{0, 0, 0};
    rawMinimum = 0;
    ControlInfo info;
    if (m_device->queryControl(controlId, info) < 0)
        return false;
    if (info.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY))
        return false;
    if (!continuous) {
        range = uvc_ranges_t{info.minimum, info.maximum, info.defaultValue};
        return true;
    }
    // A speed control's range is signed, but what callers choose is a speed. Its minimum is reported
    // as -(slowest speed) by older uvcvideo, as -maximum by newer, and for ZOOM_CONTINUOUS as the
    // slowest speed itself; the slowest speed is 1 when the range does not tell.
    int minimum = 1;
    if (info.minimum > 0)
        minimum = info.minimum;
    else if (info.minimum < 0 && -int64_t(info.minimum) < int64_t(info.maximum))
        minimum = -info.minimum;
    if (info.maximum < minimum)
        return false;
    const int64_t defaultSpeed = std::clamp<int64_t>(
        info.defaultValue < 0 ? -int64_t(info.defaultValue) : info.defaultValue, minimum, info.maximum);
    range = uvc_ranges_t{minimum, info.maximum, int(defaultSpeed)};
    rawMinimum = info.minimum;
    return true;
}

long UVCCameraLibrary::getControlRanges()
{
    if (!m_device)
        return kResultFail;
    // The device offers camera control when it has at least one of the controls this library drives.
    bool anyControl = false;
    for (const uvc::AxisControls &axis : uvc::kAxes) {
        ControlInfo info;
        anyControl = anyControl || m_device->queryControl(axis.continuousId, info) == 0
                     || m_device->queryControl(axis.absoluteId, info) == 0;
    }
    ControlInfo autoFocus;
    anyControl = anyControl || m_device->queryControl(uvc::kFocusAutoId, autoFocus) == 0;
    if (!anyControl) {
        printNoCameraControl();
        m_cameraControl = false;
        return kResultNoInterface;
    }
    for (int axis = Pan; axis < AxisCount; ++axis) {
        const uvc::AxisControls &controls = uvc::kAxes[axis];
        int32_t unusedMinimum = 0;
        m_continuousSupported[axis] = getPropRanges(controls.continuousId, true, m_continuousRange[axis],
                                                    m_continuousRawMinimum[axis]);
        std::printf("%s continuous movement enabled: %s\n", controls.lowerName,
                    m_continuousSupported[axis] ? "true" : "false");
        std::printf("%s - Min %d, Max %d, Default %d\n", controls.upperName, m_continuousRange[axis].minimum,
                    m_continuousRange[axis].maximum, m_continuousRange[axis].defaultValue);
        m_absoluteSupported[axis]
            = getPropRanges(controls.absoluteId, false, m_absoluteRange[axis], unusedMinimum);
        std::printf("%s absolute movement enabled: %s\n", controls.lowerName,
                    m_absoluteSupported[axis] ? "true" : "false");
        std::printf("%s - Min %d, Max %d, Default %d\n", controls.upperName, m_absoluteRange[axis].minimum,
                    m_absoluteRange[axis].maximum, m_absoluteRange[axis].defaultValue);
    }
    std::fflush(stdout);
    return kResultOk;
}

uvc_ranges_t UVCCameraLibrary::ctrlRanges(Axis axis) const
{
    if (m_continuousSupported[axis])
        return m_continuousRange[axis];
    if (m_absoluteSupported[axis])
        return uvc_ranges_t{uvc::kSteppingMinimum, uvc::kSteppingMaximum, uvc::kSteppingDefault};
    return uvc_ranges_t{0, 0, 0};
}

uvc_ranges_t UVCCameraLibrary::getPanCtrlRanges()
{
    return ctrlRanges(Pan);
}

uvc_ranges_t UVCCameraLibrary::getTiltCtrlRanges()
{
    return ctrlRanges(Tilt);
}

uvc_ranges_t UVCCameraLibrary::getZoomCtrlRanges()
{
    return ctrlRanges(Zoom);
}

uvc_ranges_t UVCCameraLibrary::getFocusCtrlRanges()
{
    return ctrlRanges(Focus);
}

int UVCCameraLibrary::preProcessConVal(int value, const uvc_ranges_t &range)
{
    // 0 counts as a negative speed: with a slowest speed of 1 it becomes -1.
    const int64_t magnitude = value > 0 ? int64_t(value) : -int64_t(value);
    const int sign = value > 0 ? 1 : -1;
    if (magnitude > range.maximum)
        return sign * range.maximum;
    if (magnitude < range.minimum)
        return sign * range.minimum;
    return value;
}

int UVCCameraLibrary::preProcessAbsVal(int value, const uvc_ranges_t &range)
{
    return std::clamp(value, range.minimum, std::max(range.minimum, range.maximum));
}

long UVCCameraLibrary::moveCamera(uint32_t controlId, int32_t value)
{
    if (!m_device)
        return kResultFail;
    if (!m_cameraControl) {
        printNoCameraControl();
        return kResultNoInterface;
    }
    std::vector<ControlValue> values{{controlId, value}};
    // Pan and tilt speed are halves of one UVC control: the driver fills the half not written from
    // what the camera reports, which stops a diagonal move on many cameras. Write both every time.
    int32_t panSpeed = m_panSpeed;
    int32_t tiltSpeed = m_tiltSpeed;
    if (controlId == uvc::kAxes[Pan].continuousId) {
        panSpeed = value;
        if (m_continuousSupported[Tilt])
            values.push_back({uvc::kAxes[Tilt].continuousId, tiltSpeed});
    } else if (controlId == uvc::kAxes[Tilt].continuousId) {
        tiltSpeed = value;
        if (m_continuousSupported[Pan])
            values.insert(values.begin(), {uvc::kAxes[Pan].continuousId, panSpeed});
    }
    const int error = m_device->setControls(values);
    if (error == 0) {
        m_panSpeed = panSpeed;
        m_tiltSpeed = tiltSpeed;
    }
    return resultOf(error);
}

long UVCCameraLibrary::moveCameraAxis(Axis axis, int value)
{
    const uvc::AxisControls &controls = uvc::kAxes[axis];
    // The offered speed range is of magnitudes, whichever way the device reports it (symmetric, or
    // from the slowest speed up as ZOOM_CONTINUOUS does on older drivers): the sign is the direction.
    if (m_continuousSupported[axis])
        return moveCamera(controls.continuousId, preProcessConVal(value, m_continuousRange[axis]));
    if (m_absoluteSupported[axis]) {
        const int64_t target = int64_t(getVal(controls.absoluteId)) + value;
        const int limited = int(
            std::clamp<int64_t>(target, m_absoluteRange[axis].minimum,
                                std::max(m_absoluteRange[axis].minimum, m_absoluteRange[axis].maximum)));
        return moveCamera(controls.absoluteId, limited);
    }
    return kResultFail;
}

long UVCCameraLibrary::moveCameraPan(int value)
{
    return moveCameraAxis(Pan, value);
}

long UVCCameraLibrary::moveCameraTilt(int value)
{
    return moveCameraAxis(Tilt, value);
}

long UVCCameraLibrary::moveCameraZoom(int value)
{
    return moveCameraAxis(Zoom, value);
}

long UVCCameraLibrary::moveCameraFocus(int value)
{
    return moveCameraAxis(Focus, value);
}

long UVCCameraLibrary::movePanOneLeft(int speed)
{
    return moveCameraPan(-speed);
}

long UVCCameraLibrary::movePanOneRight(int speed)
{
    return moveCameraPan(speed);
}

long UVCCameraLibrary::moveTiltOneTop(int speed)
{
    return moveCameraTilt(speed);
}

long UVCCameraLibrary::moveTiltOneBottom(int speed)
{
    return moveCameraTilt(-speed);
}

long UVCCameraLibrary::zoomOneIn(int speed)
{
    return moveCameraZoom(speed);
}

long UVCCameraLibrary::zoomOneOut(int speed)
{
    return moveCameraZoom(-speed);
}

long UVCCameraLibrary::focusOneIn(int speed)
{
    return moveCameraFocus(speed);
}

long UVCCameraLibrary::focusOneOut(int speed)
{
    return moveCameraFocus(-speed);
}

long UVCCameraLibrary::stopControling(Axis axis)
{
    if (!m_device)
        return kResultFail;
    if (!m_cameraControl) {
        printNoCameraControl();
        return kResultNoInterface;
    }
    const uvc::AxisControls &controls = uvc::kAxes[axis];
    long result;
    if (m_continuousSupported[axis] && m_continuousRawMinimum[axis] > 0 && m_absoluteSupported[axis]) {
        // 0 lies outside this continuous control's range and would be clamped into a slow move;
        // holding the absolute position where it is now stops the axis instead.
        result = moveCamera(controls.absoluteId, int32_t(getVal(controls.absoluteId)));
    } else {
        result = moveCamera(controls.continuousId, 0);
    }
    if (result < 0)
        std::printf("Stop Controlling: This device does not support PTZControl\n");
    return result;
}

long UVCCameraLibrary::stopMoving()
{
    stopControling(Pan);
    return stopControling(Tilt);
}

long UVCCameraLibrary::stopZooming()
{
    return stopControling(Zoom);
}

long UVCCameraLibrary::stopFocusing()
{
    return stopControling(Focus);
}

long UVCCameraLibrary::moveAbsPTZ(int pan, int tilt, int zoom)
{
    if (!m_device)
        return kResultFail;
    if (!m_cameraControl) {
        printNoCameraControl();
        return kResultNoInterface;
    }
    long result = kResultOk;
    if (m_absoluteSupported[Zoom]) {
        result = resultOf(m_device->setControls(
            {{uvc::kAxes[Zoom].absoluteId, preProcessAbsVal(zoom, m_absoluteRange[Zoom])}}));
    }
    // Pan and tilt positions share one UVC control too; one request moves both at once.
    std::vector<ControlValue> panTilt;
    if (m_absoluteSupported[Pan])
        panTilt.push_back({uvc::kAxes[Pan].absoluteId, preProcessAbsVal(pan, m_absoluteRange[Pan])});
    if (m_absoluteSupported[Tilt])
        panTilt.push_back({uvc::kAxes[Tilt].absoluteId, preProcessAbsVal(tilt, m_absoluteRange[Tilt])});
    if (!panTilt.empty())
        result = resultOf(m_device->setControls(panTilt));
    return result;
}

long UVCCameraLibrary::moveHome()
{
    moveAbsPTZ(m_absoluteRange[Pan].defaultValue, m_absoluteRange[Tilt].defaultValue,
               m_absoluteRange[Zoom].defaultValue);
    return setAutoFocus(true);
}

long UVCCameraLibrary::setAuto(uint32_t controlId, bool on)
{
    if (!m_device)
        return kResultFail;
    if (!m_cameraControl) {
        printNoCameraControl();
        return kResultNoInterface;
    }
    int32_t current = 0;
    if (const int error = m_device->getControl(controlId, current); error < 0)
        return resultOf(error);
    return resultOf(m_device->setControls({{controlId, on ? 1 : 0}}));
}

bool UVCCameraLibrary::getAuto(uint32_t controlId)
{
    if (!m_device)
        return false;
    if (!m_cameraControl) {
        printNoCameraControl();
        return false;
    }
    int32_t value = 0;
    return m_device->getControl(controlId, value) == 0 && value == 1;
}

long UVCCameraLibrary::getVal(uint32_t controlId)
{
    if (!m_device)
        return 0;
    if (!m_cameraControl) {
        printNoCameraControl();
        return 0;
    }
    int32_t value = 0;
    return m_device->getControl(controlId, value) == 0 ? long(value) : 0;
}

long UVCCameraLibrary::setAutoFocus(bool on)
{
    return setAuto(uvc::kFocusAutoId, on);
}

bool UVCCameraLibrary::getAutoFocus()
{
    return getAuto(uvc::kFocusAutoId);
}

long UVCCameraLibrary::getPan()
{
    return getVal(uvc::kAxes[Pan].absoluteId);
}

long UVCCameraLibrary::getTilt()
{
    return getVal(uvc::kAxes[Tilt].absoluteId);
}

long UVCCameraLibrary::getZoom()
{
    return getVal(uvc::kAxes[Zoom].absoluteId);
}

long UVCCameraLibrary::getFocus()
{
    return getVal(uvc::kAxes[Focus].absoluteId);
}

long UVCCameraLibrary::checkOSDMenu()
{
    if (!m_device)
        return kResultFail;
    if (m_extensionUnit->findUnit(m_device, uvc::kMenuUnitGuid, uvc::MenuOpenClose) < 0)
        return kResultFail;
    uint8_t length[2] = {0, 0};
    if (m_extensionUnit->query(uvc::MenuOpenClose, UVC_GET_LEN, length, sizeof length) < 0)
        return kResultFail;
    m_menuControlLength = unsigned(length[0]) | unsigned(length[1]) << 8;
    if (m_menuControlLength == 0)
        return kResultFail;
    std::vector<uint8_t> value(m_menuControlLength);
    if (m_extensionUnit->query(uvc::MenuOpenClose, UVC_GET_CUR, value.data(), uint16_t(value.size())) < 0)
        return kResultFail;
    return kResultOk;
}

long UVCCameraLibrary::pressMenuKey(uint8_t selector)
{
    if (!m_extensionUnit->found())
        return kResultPointer;
    // The key is carried by the selector alone; the value is all zeros.
    std::vector<uint8_t> zeros(m_menuControlLength, 0);
    return m_extensionUnit->query(selector, UVC_SET_CUR, zeros.data(), uint16_t(zeros.size()));
}

long UVCCameraLibrary::osdMenuOpenClose()
{
    return pressMenuKey(uvc::MenuOpenClose);
}

long UVCCameraLibrary::osdMenuEnter()
{
    return pressMenuKey(uvc::MenuEnter);
}

long UVCCameraLibrary::osdMenuBack()
{
    return pressMenuKey(uvc::MenuBack);
}

long UVCCameraLibrary::osdMenuUp()
{
    return pressMenuKey(uvc::MenuUp);
}

long UVCCameraLibrary::osdMenuDown()
{
    return pressMenuKey(uvc::MenuDown);
}

long UVCCameraLibrary::osdMenuLeft()
{
    return pressMenuKey(uvc::MenuLeft);
}

long UVCCameraLibrary::osdMenuRight()
{
    return pressMenuKey(uvc::MenuRight);
}
