#ifndef SCRIPTENGINEWORKAROUNDS_H
#define SCRIPTENGINEWORKAROUNDS_H

// QtWebKit 5.212's JavaScriptCore optimising JIT (DFG) miscompiles part of
// KineticJS once it is hot: Kinetic.Text's height getter starts returning
// undefined, so captions, labels and frame numbers land at NaN positions
// after a while of editing. The baseline JIT is unaffected, so only the DFG
// tier is switched off (playback ticks cost about 2 ms more, measured on a
// 54-item drill).
class ScriptEngineWorkarounds
{
public:
    // Must run before the process creates its first web page; JavaScriptCore
    // reads its options once. A value already set in the environment wins.
    static void apply();
};

#endif // SCRIPTENGINEWORKAROUNDS_H
