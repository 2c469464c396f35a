// Fuzz inputs carry host names and addresses (camera lists, OBS and vMix settings) that the program then
// tries to reach. A fuzz run must never leave this machine, so the fuzz executables replace two C
// library calls for every library they load: names are not looked up (only numeric addresses resolve)
// and connections go to loopback addresses only; anything else fails as an unreachable network would.

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace {

template<typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool isLocal(const sockaddr *address, socklen_t length)
{
    if (!address || length < socklen_t(sizeof(sa_family_t)))
        return false;
    switch (address->sa_family) {
    case AF_UNIX:
        return true;
    case AF_INET: {
        const auto *in = reinterpret_cast<const sockaddr_in *>(address);
        const uint32_t host = ntohl(in->sin_addr.s_addr);
        // 127.0.0.0/8, and 0.0.0.0, which Linux connects to this host.
        return (host >> 24) == 127 || host == 0;
    }
    case AF_INET6: {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(address);
        if (IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr) || IN6_IS_ADDR_UNSPECIFIED(&in6->sin6_addr))
            return true;
        return IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr) && in6->sin6_addr.s6_addr[12] == 127;
    }
    default:
        return false;
    }
}

} // namespace

extern "C" int
getaddrinfo(const char *node, const char *service, const struct addrinfo *hints, struct addrinfo **result)
{
    using Function = int (*)(const char *, const char *, const struct addrinfo *, struct addrinfo **);
    static const Function real = next<Function>("getaddrinfo");
    struct addrinfo numeric;
    std::memset(&numeric, 0, sizeof(numeric));
    if (hints)
        numeric = *hints;
    else
        numeric.ai_flags = AI_V4MAPPED | AI_ADDRCONFIG;
    numeric.ai_flags |= AI_NUMERICHOST;
    return real(node, service, &numeric, result);
}

extern "C" int connect(int fd, const struct sockaddr *address, socklen_t length)
{
    using Function = int (*)(int, const struct sockaddr *, socklen_t);
    static const Function real = next<Function>("connect");
    if (!isLocal(address, length)) {
        errno = ENETUNREACH;
        return -1;
    }
    return real(fd, address, length);
}
