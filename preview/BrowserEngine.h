#pragma once

// The embedded browser's start-up needs, which must all be met before the application object
// exists: the preview URL scheme is registered, OpenGL contexts are shared, and a program run by
// root turns Chromium's sandbox off (it refuses to start otherwise).
void PrepareBrowserEngine();
