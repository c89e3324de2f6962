#pragma once

class QWidget;

// With NUMORA_TRACE_STARTUP=1 in the environment, prints to stderr how many milliseconds after
// the start of the process each step of the start-up was reached, with the CPU time of the
// thread that reached it, and the first painting of the main window; without it, costs one
// test of a flag per step.
class StartupTrace {
public:
    static bool On();
    static void Mark(const char* step);
    // Marks the first paint event of `window`, then stops watching.
    static void WatchFirstPaint(QWidget* window);
};
