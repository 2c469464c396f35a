#include "v4l2backend.h"

#include "lensgrip/devicehandle.h"

#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace lensgrip {

namespace {

// ioctl, retried when a signal interrupts it; returns 0 or -errno.
int xioctl(int fd, unsigned long request, void *arg)
{
    int result;
    do {
        result = ::ioctl(fd, request, arg);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -errno : 0;
}

int readFile(const std::string &path, std::string &contents)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    contents.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return -error;
        }
        if (n == 0)
            break;
        contents.append(buffer, size_t(n));
    }
    ::close(fd);
    return 0;
}

std::string fixedString(const __u8 *bytes, size_t size)
{
    const auto *text = reinterpret_cast<const char *>(bytes);
    return std::string(text, strnlen(text, size));
}

// The node number of "videoN", or -1 for other names.
int videoNumber(const char *name)
{
    if (std::strncmp(name, "video", 5) != 0 || name[5] == '\0')
        return -1;
    char *end = nullptr;
    const long number = std::strtol(name + 5, &end, 10);
    return (*end == '\0' && number >= 0) ? int(number) : -1;
}

class V4l2Handle : public DeviceHandle
{
public:
    V4l2Handle(int fd, std::string node) : m_fd(fd), m_node(std::move(node)) {}
    ~V4l2Handle() override { ::close(m_fd); }

    std::string node() const override { return m_node; }

    int queryCapabilities(DeviceCapabilities &caps) override
    {
        v4l2_capability cap{};
        if (const int error = xioctl(m_fd, VIDIOC_QUERYCAP, &cap); error < 0)
            return error;
        caps.driver = fixedString(cap.driver, sizeof cap.driver);
        caps.card = fixedString(cap.card, sizeof cap.card);
        caps.busInfo = fixedString(cap.bus_info, sizeof cap.bus_info);
        caps.capabilities = cap.capabilities;
        caps.deviceCaps = cap.device_caps;
        return 0;
    }

    int queryControl(uint32_t id, ControlInfo &info) override
    {
        v4l2_queryctrl query{};
        query.id = id;
        if (const int error = xioctl(m_fd, VIDIOC_QUERYCTRL, &query); error < 0)
            return error;
        if (query.id != id)
            return -EINVAL;
        info.minimum = query.minimum;
        info.maximum = query.maximum;
        info.step = query.step;
        info.defaultValue = query.default_value;
        info.flags = query.flags;
        return 0;
    }

    int getControl(uint32_t id, int32_t &value) override
    {
        v4l2_control control{};
        control.id = id;
        if (const int error = xioctl(m_fd, VIDIOC_G_CTRL, &control); error < 0)
            return error;
        value = control.value;
        return 0;
    }

    int setControls(const std::vector<ControlValue> &values) override
    {
        if (values.empty())
            return 0;
        std::vector<v4l2_ext_control> controls(values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            controls[i] = v4l2_ext_control{};
            controls[i].id = values[i].id;
            controls[i].value = values[i].value;
        }
        v4l2_ext_controls request{};
        // The class rather than V4L2_CTRL_WHICH_CUR_VAL: older uvcvideo insists on a class, and every
        // control this library writes is of the camera class.
        request.ctrl_class = V4L2_CTRL_ID2CLASS(values.front().id);
        request.count = uint32_t(controls.size());
        request.controls = controls.data();
        return xioctl(m_fd, VIDIOC_S_EXT_CTRLS, &request);
    }

    int
    extensionUnitQuery(uint8_t unit, uint8_t selector, uint8_t query, uint8_t *data, uint16_t size) override
    {
        uvc_xu_control_query request{};
        request.unit = unit;
        request.selector = selector;
        request.query = query;
        request.size = size;
        request.data = data;
        return xioctl(m_fd, UVCIOC_CTRL_QUERY, &request);
    }

    int readUsbDescriptors(std::vector<uint8_t> &bytes) override
    {
        // The node's "device" is the USB interface; its parent folder is the USB device.
        std::string interfaceDir;
        if (const int error = sysfsDevice(interfaceDir); error < 0)
            return error;
        std::string contents;
        if (const int error = readFile(interfaceDir + "/../descriptors", contents); error < 0)
            return error;
        bytes.assign(contents.begin(), contents.end());
        return 0;
    }

    int readModalias(std::string &modalias) override
    {
        std::string interfaceDir;
        if (const int error = sysfsDevice(interfaceDir); error < 0)
            return error;
        if (const int error = readFile(interfaceDir + "/modalias", modalias); error < 0)
            return error;
        while (!modalias.empty() && (modalias.back() == '\n' || modalias.back() == '\r'))
            modalias.pop_back();
        return 0;
    }

private:
    // The sysfs folder of the device behind the node, found from the node's own device number so
    // that renamed or symlinked nodes resolve too.
    int sysfsDevice(std::string &path) const
    {
        struct stat info
        {};
        if (::fstat(m_fd, &info) < 0)
            return -errno;
        if (!S_ISCHR(info.st_mode))
            return -ENODEV;
        char link[64];
        std::snprintf(link, sizeof link, "/sys/dev/char/%u:%u/device", major(info.st_rdev),
                      minor(info.st_rdev));
        char *resolved = ::realpath(link, nullptr);
        if (!resolved)
            return -errno;
        path = resolved;
        std::free(resolved);
        return 0;
    }

    int m_fd;
    std::string m_node;
};

} // namespace

std::vector<std::string> V4l2Backend::videoNodes()
{
    std::vector<std::pair<int, std::string>> found;
    // sysfs lists every node the kernel made, whatever udev called it; /dev is the fallback when
    // sysfs is not mounted (some containers).
    for (const char *folder : {"/sys/class/video4linux", "/dev"}) {
        DIR *dir = ::opendir(folder);
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            const int number = videoNumber(entry->d_name);
            if (number >= 0)
                found.emplace_back(number, std::string("/dev/") + entry->d_name);
        }
        ::closedir(dir);
        if (!found.empty())
            break;
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> nodes;
    nodes.reserve(found.size());
    for (auto &entry : found)
        nodes.push_back(std::move(entry.second));
    return nodes;
}

std::shared_ptr<DeviceHandle> V4l2Backend::open(const std::string &node, int &error)
{
    // Non-blocking: the library never reads frames, and a busy node must not hang the caller.
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    return std::make_shared<V4l2Handle>(fd, node);
}

} // namespace lensgrip
