#include "AppEnvironment.h"

#include <QGuiApplication>

static const auto* const Environment =
    ::testing::AddGlobalTestEnvironment(new TAppEnvironment<QGuiApplication>);
