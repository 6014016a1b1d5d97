// The module's multi-cast actions are QActions, which need a QGuiApplication; its jobs report
// their end through the event loop.

#include "../services/AppEnvironment.h"

#include <QGuiApplication>

static const auto* const Environment =
    ::testing::AddGlobalTestEnvironment(new TAppEnvironment<QGuiApplication>);
