#include "appservices.h"

namespace {
AppServices *s_instance = nullptr;
}

AppServices::~AppServices()
{
    if (s_instance == this)
        s_instance = nullptr;
}

AppServices *AppServices::instance()
{
    return s_instance;
}

void AppServices::setInstance(AppServices *services)
{
    s_instance = services;
}
