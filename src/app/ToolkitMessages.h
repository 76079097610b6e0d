#pragma once

namespace dravik {

// Keeps the toolkit's notices about its platform off the terminal: what the
// offscreen platform cannot do ("This plugin does not support raise()"), a
// missing XDG_RUNTIME_DIR, the platform plugins' own "qt.*" diagnostics. They
// say nothing about Dravik, and a batch user could not tell them from a real
// problem. Every other message, a real warning of the toolkit among them,
// still reaches standard error. With DRAVIK_QT_MESSAGES=1 in the environment
// nothing is kept back. Install it before the application object is made.
void keepToolkitNoticesQuiet();

} // namespace dravik
