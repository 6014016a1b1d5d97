#include "AppEnvironment.h"

#include <QApplication>

static const auto* const Environment =
    ::testing::AddGlobalTestEnvironment(new TAppEnvironment<QApplication>);
