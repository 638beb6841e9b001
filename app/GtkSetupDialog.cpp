// The setup dialog with GTK 3: the classic fixed layout converted from dialog
// units, keyboard handling of a modal dialog (Enter, Escape, a fixed tab
// order) and link buttons that open the desktop's browser.
#include "app/GtkSetupDialog.h"

#include "app/BannerPng.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace Sorva {

namespace {

constexpr const char* caption = "Halvo // Sorva";

// Pixels per dialog unit: close to what an 8-point dialog font gives, and
// large enough for the 315 x 157 banner to sit inside its frame.
constexpr double unitX = 1.75;
constexpr double unitY = 1.75;

// A control's place in dialog units.
struct Place {
    int x, y, width, height;
};
constexpr int clientWidth = 201, clientHeight = 161;
constexpr Place demoPlace{7, 138, 50, 16};
constexpr Place resolutionPlace{7, 114, 75, 14}; // closed height; the list drops below
constexpr Place fullscreenLabelPlace{112, 116, 65, 10};
constexpr Place fullscreenBoxPlace{185, 116, 9, 10};
constexpr Place bannerPlace{7, 11, 188, 100};
constexpr Place socialPlace{76, 139, 50, 14};
constexpr Place webPlace{145, 139, 50, 14};

// Adwaita's controls are roomier than the layout allows.
constexpr const char* compactStyle = "button { min-height: 0; padding: 2px 8px; }\n"
                                     "combobox button { padding: 2px 6px; }\n"
                                     "label { font-size: 9pt; }\n";

int pixelsX(int units) {
    return static_cast<int>(std::lround(units * unitX));
}
int pixelsY(int units) {
    return static_cast<int>(std::lround(units * unitY));
}

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T> using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct WidgetDestroy {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
using WindowPtr = std::unique_ptr<GtkWidget, WidgetDestroy>;

struct DialogState {
    GtkWidget* window = nullptr;
    GtkWidget* demo = nullptr;
    GtkWidget* resolution = nullptr;
    GtkWidget* fullscreen = nullptr;
    GtkWidget* social = nullptr;
    GtkWidget* web = nullptr;
    bool done = false;
    SetupChoice choice;

    std::array<GtkWidget*, 5> tabOrder() const {
        return {demo, resolution, fullscreen, social, web};
    }
};

void finish(DialogState& state, bool accepted) {
    state.choice.accepted = accepted;
    if (accepted) {
        state.choice.selectedLine = gtk_combo_box_get_active(GTK_COMBO_BOX(state.resolution));
        state.choice.fullscreen = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.fullscreen));
    }
    state.done = true;
}

void openAddress(GtkButton*, gpointer address) {
    const char* uri = static_cast<const char*>(address);
    GError* raw = nullptr;
    if (!g_app_info_launch_default_for_uri(uri, nullptr, &raw)) {
        const ErrorPtr error(raw);
        std::fprintf(stderr, "Cannot open %s in a browser: %s\n", uri,
                     error ? error->message : "no browser");
    }
}

void onDemo(GtkButton*, gpointer data) {
    finish(*static_cast<DialogState*>(data), true);
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    finish(*static_cast<DialogState*>(data), false);
    return TRUE; // destroyed by run() once the loop is left
}

// Index in the tab order of the control holding the focus (or inside it, as
// the combo box's own button), or -1.
int focusIndex(const DialogState& state) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(state.window));
    const auto order = state.tabOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (focus && (focus == order[i] || gtk_widget_is_ancestor(focus, order[i])))
            return static_cast<int>(i);
    }
    return -1;
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    DialogState& state = *static_cast<DialogState*>(data);
    switch (event->keyval) {
    case GDK_KEY_Escape:
        finish(state, false);
        return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        // A focused link button takes Enter itself; everywhere else it is "Demo".
        const int at = focusIndex(state);
        if (at >= 0 && (state.tabOrder()[at] == state.social || state.tabOrder()[at] == state.web))
            return FALSE;
        finish(state, true);
        return TRUE;
    }
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab: {
        // The fixed layout would order by position; the dialog has its own order.
        const bool back =
            event->keyval == GDK_KEY_ISO_Left_Tab || (event->state & GDK_SHIFT_MASK) != 0;
        const int count = static_cast<int>(state.tabOrder().size());
        const int at = focusIndex(state);
        const int next = at < 0 ? 0 : (at + (back ? count - 1 : 1)) % count;
        gtk_widget_grab_focus(state.tabOrder()[next]);
        gtk_window_set_focus_visible(GTK_WINDOW(state.window), TRUE);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

GObjectPtr<GdkPixbuf> loadBanner() {
    const GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type("png", nullptr));
    if (!loader)
        return nullptr;
    const std::span<const unsigned char> png = bannerPng();
    GError* raw = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader.get(), png.data(), png.size(), &raw);
    if (written)
        gdk_pixbuf_loader_close(loader.get(), &raw);
    const ErrorPtr error(raw);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (error || !pixbuf) {
        std::fprintf(stderr, "Cannot decode the setup dialog's banner: %s\n",
                     error ? error->message : "no picture");
        return nullptr;
    }
    return GObjectPtr<GdkPixbuf>(GDK_PIXBUF(g_object_ref(pixbuf)));
}

void put(GtkWidget* fixed, GtkWidget* child, const Place& place) {
    gtk_widget_set_size_request(child, pixelsX(place.width), pixelsY(place.height));
    gtk_fixed_put(GTK_FIXED(fixed), child, pixelsX(place.x), pixelsY(place.y));
}

void applyCompactStyle() {
    const GObjectPtr<GtkCssProvider> css(gtk_css_provider_new());
    if (!gtk_css_provider_load_from_data(css.get(), compactStyle, -1, nullptr))
        return;
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(css.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// The usable part of the screen the dialog opens on.
GdkRectangle screenArea() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 0, 0};
    if (monitor)
        gdk_monitor_get_workarea(monitor, &area);
    return area;
}

// The layout itself on screens it fits; on smaller ones, the layout in a
// scrolled view of the screen's size that follows the keyboard focus, so
// every control can still be reached.
GtkWidget* scrolledIfTooLarge(GtkWidget* fixed) {
    const int width = pixelsX(clientWidth), height = pixelsY(clientHeight);
    const GdkRectangle area = screenArea();
    if (area.width <= 0 || area.height <= 0 || (width <= area.width && height <= area.height))
        return fixed;
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(scroller, std::min(width, area.width),
                                std::min(height, area.height));
    GtkWidget* viewport = gtk_viewport_new(nullptr, nullptr);
    gtk_viewport_set_shadow_type(GTK_VIEWPORT(viewport), GTK_SHADOW_NONE);
    gtk_container_add(GTK_CONTAINER(viewport), fixed);
    gtk_container_add(GTK_CONTAINER(scroller), viewport);
    gtk_container_set_focus_hadjustment(
        GTK_CONTAINER(fixed), gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller)));
    gtk_container_set_focus_vadjustment(
        GTK_CONTAINER(fixed), gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller)));
    return scroller;
}

// Builds the dialog, runs it until the viewer decides, and destroys it.
SetupChoice runModal(const ModeList& modes) {
    DialogState state;
    const WindowPtr window(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    state.window = window.get();
    gtk_window_set_title(GTK_WINDOW(state.window), caption);
    gtk_window_set_type_hint(GTK_WINDOW(state.window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(state.window), GTK_WIN_POS_CENTER);
    gtk_window_set_modal(GTK_WINDOW(state.window), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(state.window), FALSE);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, pixelsX(clientWidth), pixelsY(clientHeight));
    gtk_container_add(GTK_CONTAINER(state.window), scrolledIfTooLarge(fixed));

    const GObjectPtr<GdkPixbuf> banner = loadBanner();
    put(fixed, banner ? gtk_image_new_from_pixbuf(banner.get()) : gtk_image_new(), bannerPlace);

    state.resolution = gtk_combo_box_text_new();
    for (const std::string& line : modes.lines())
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(state.resolution), line.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(state.resolution), modes.selectedLine());
    put(fixed, state.resolution, resolutionPlace);

    GtkWidget* label = gtk_label_new("Fullscreen:");
    gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
    put(fixed, label, fullscreenLabelPlace);

    state.fullscreen = gtk_check_button_new();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.fullscreen), modes.fullscreen());
    put(fixed, state.fullscreen, fullscreenBoxPlace);

    state.demo = gtk_button_new_with_label("Demo");
    state.social = gtk_button_new_with_label("Twitter");
    state.web = gtk_button_new_with_label("WWW");
    put(fixed, state.demo, demoPlace);
    put(fixed, state.social, socialPlace);
    put(fixed, state.web, webPlace);
    gtk_style_context_add_class(gtk_widget_get_style_context(state.demo), "suggested-action");
    gtk_widget_set_can_default(state.demo, TRUE);
    gtk_window_set_default(GTK_WINDOW(state.window), state.demo);

    g_signal_connect(state.demo, "clicked", G_CALLBACK(onDemo), &state);
    g_signal_connect(state.social, "clicked", G_CALLBACK(openAddress),
                     const_cast<char*>(socialPageAddress));
    g_signal_connect(state.web, "clicked", G_CALLBACK(openAddress),
                     const_cast<char*>(webSiteAddress));
    g_signal_connect(state.window, "key-press-event", G_CALLBACK(onKey), &state);
    g_signal_connect(state.window, "delete-event", G_CALLBACK(onDelete), &state);

    gtk_widget_show_all(state.window);
    gtk_widget_grab_focus(state.demo);
    while (!state.done)
        gtk_main_iteration();
    return state.choice;
}

} // namespace

SetupDialog::Outcome GtkSetupDialog::run(const ModeList& modes) {
    Outcome outcome;
    // The show formats and parses numbers in the C locale.
    gtk_disable_setlocale();
    if (!gtk_init_check(nullptr, nullptr)) {
        const char* display = g_getenv("DISPLAY");
        outcome.failure = std::string("GTK cannot open the display ") +
                          (display ? std::string("\"") + display + "\"" : "(DISPLAY is not set)");
        return outcome;
    }
    applyCompactStyle();
    outcome.choice = runModal(modes);
    outcome.shown = true;

    // The dialog is off the screen before the show's window opens. GTK keeps
    // its display connection: closing the default display is not safe in GTK 3.
    while (gtk_events_pending())
        gtk_main_iteration();
    gdk_display_sync(gdk_display_get_default());
    return outcome;
}

std::unique_ptr<SetupDialog> SetupDialog::create(void*) {
    return std::make_unique<GtkSetupDialog>();
}

} // namespace Sorva
