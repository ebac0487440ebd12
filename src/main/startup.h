#ifndef VORLIN_MAIN_STARTUP_H
#define VORLIN_MAIN_STARTUP_H

// The graphics calls of the mode loop, behind an interface so that the loop's decisions
// can be exercised without a display.
class GraphicsModes {
public:
    virtual ~GraphicsModes() = default;
    virtual void SetColorDepth(int depth) = 0;
    // set_gfx_mode(card, w, h, 0, 0) == 0
    virtual bool SetMode(int card, int w, int h) = 0;
    // set_gfx_mode(GFX_SAFE, 640, 480, 0, 0) == 0
    virtual bool SetSafeMode() = 0;
    // gfx_mode_select_ex; false when the user cancels
    virtual bool SelectMode(int* card, int* w, int* h, int* depth) = 0;
    virtual void Message(const char* text) = 0;
    // The depth used when none is configured; desktop_color_depth unless overridden.
    virtual int DesktopColorDepth();
};

// The real Allegro calls.
class AllegroGraphicsModes : public GraphicsModes {
public:
    void SetColorDepth(int depth) override;
    bool SetMode(int card, int w, int h) override;
    bool SetSafeMode() override;
    bool SelectMode(int* card, int* w, int* h, int* depth) override;
    void Message(const char* text) override;
};

// Reads section "graphics", sets the configured mode or falls back to the safe mode and
// the mode dialog until a mode is set, the safe mode is refused or the dialog is
// cancelled. On success the mode is stored back into "graphics". Values that no mode can
// have (a width of 0, text, 100000) count as "no mode configured".
bool choose_graphics_mode(GraphicsModes& modes);

// Library, "vorlin.ini" (default bindings on a first run), keyboard, timer, mouse,
// graphics mode and the random seed. False when the program must end.
bool init();

class ScaledWindow;

// The same for the front end, whose mode is `window`'s: never the mode dialog.
bool init_scaled(ScaledWindow* window);

#endif
