#ifndef HEADLESSPLATFORM_H
#define HEADLESSPLATFORM_H

// Lets the runs that show no window (help, version, usage errors, exports)
// work on a machine without a display.
class HeadlessPlatform
{
public:
    // True when there is a display, or a Qt platform was chosen by hand.
    static bool hasDisplay();

    // Chooses Qt's offscreen platform. Must run before the application
    // object exists, which is when Qt reads the choice.
    static void chooseOffscreen();
};

#endif // HEADLESSPLATFORM_H
