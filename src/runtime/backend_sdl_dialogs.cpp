// The requesters of the real backend on GTK 3: a modal file chooser and a modal message box. GTK
// starts at the first requester. Each requester runs to its answer and its window is gone before
// the call returns, and a window of ours that had the keyboard before gets it back.
#include <SDL.h>
#include <gtk/gtk.h>

#include <cstring>
#include <string>

#include "runtime/backend_sdl_failure.h"
#include "runtime/platform.h"

namespace {

// GTK warns about every dialog without a parent window; ours cannot have one, since the program's
// window belongs to SDL.
void DropParentlessDialogNotice(const gchar* domain, GLogLevelFlags level, const gchar* message,
                                gpointer userData) {
    if (std::strstr(message, "without a transient parent") == nullptr) {
        g_log_default_handler(domain, level, message, userData);
    }
}

// GTK opens its own connection to the display, on X11 as the windows do. When that fails, every
// later requester gives up at once and says why. The program keeps the C locale: GTK would
// otherwise switch it to the user's.
bool GtkReady() {
    static int state = 0; // 0 not tried, 1 ready, -1 failed
    if (state == 0) {
        gtk_disable_setlocale();
        gdk_set_allowed_backends("x11");
        state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        g_log_set_handler("Gtk", G_LOG_LEVEL_MESSAGE, DropParentlessDialogNotice, nullptr);
    }
    if (state != 1) {
        NoteBackendFailure(PlatformFailureNoDisplay, "GTK cannot open the display");
    }
    return state == 1;
}

// Without a window manager nothing hands a new window the keyboard, so the dialog takes it once
// it is on screen; with one, this asks the window manager to activate it.
gboolean FocusWhenMapped(GtkWidget* widget, GdkEvent* /*event*/, gpointer /*userData*/) {
    gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
    return FALSE;
}

gint RunDialog(GtkWidget* dialog) {
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    g_signal_connect(dialog, "map-event", G_CALLBACK(FocusWhenMapped), nullptr);
    return gtk_dialog_run(GTK_DIALOG(dialog));
}

// Destroys the dialog and waits until the display has removed it, then gives the keyboard back to
// the SDL window that had it, which nothing else would do without a window manager.
void FinishDialog(GtkWidget* dialog, SDL_Window* previousFocus) {
    gtk_widget_destroy(dialog);
    gdk_display_sync(gdk_display_get_default());
    while (gtk_events_pending()) {
        gtk_main_iteration();
    }
    if (previousFocus != nullptr) {
        SDL_RaiseWindow(previousFocus);
        SDL_SetWindowInputFocus(previousFocus);
    }
}

// Matches letters in either case, as the patterns are meant: "*.txt" also finds NOTES.TXT.
// Letters inside a bracket expression are left as they are.
std::string CaseFreePattern(const std::string& pattern) {
    std::string result;
    bool inBrackets = false;
    for (char character : pattern) {
        inBrackets = character == '[' || (inBrackets && character != ']');
        if (inBrackets || !g_ascii_isalpha(character)) {
            result += character;
            continue;
        }
        result += '[';
        result += g_ascii_tolower(character);
        result += g_ascii_toupper(character);
        result += ']';
    }
    return result;
}

void AddFilter(GtkFileChooser* chooser, const PlatformFileFilter& entry, bool active) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, entry.description != nullptr ? entry.description : "");
    std::string patterns = entry.patterns != nullptr ? entry.patterns : "";
    std::size_t begin = 0;
    while (begin <= patterns.size()) {
        std::size_t end = patterns.find(';', begin);
        end = end == std::string::npos ? patterns.size() : end;
        std::string pattern = patterns.substr(begin, end - begin);
        if (!pattern.empty()) {
            gtk_file_filter_add_pattern(filter, CaseFreePattern(pattern).c_str());
        }
        begin = end + 1;
    }
    gtk_file_chooser_add_filter(chooser, filter);
    if (active) {
        gtk_file_chooser_set_filter(chooser, filter);
    }
}

int32_t CopyChosenPath(GtkFileChooser* chooser, char* result, int32_t capacity) {
    gchar* path = gtk_file_chooser_get_filename(chooser);
    if (path == nullptr) {
        return 0;
    }
    std::size_t length = std::strlen(path);
    bool fits = capacity > 0 && length < static_cast<std::size_t>(capacity);
    if (fits) {
        std::memcpy(result, path, length + 1);
    }
    g_free(path);
    return fits ? 1 : 0;
}

} // namespace

// The save action is the one that lets the user type a name that does not exist yet; it also
// accepts an existing file, without asking whether to replace it. So one action serves both kinds
// of request.
int32_t PlatformAskFileName(const char* title, const char* folder, const char* name,
                            const PlatformFileFilter* filters, int32_t filterCount,
                            int32_t selectedFilter, const char* place, int32_t /*save*/,
                            char* result, int32_t capacity) {
    NoteBackendFailure(PlatformFailureNone, "");
    if (!GtkReady()) {
        return -1;
    }
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title != nullptr ? title : "", nullptr, GTK_FILE_CHOOSER_ACTION_SAVE, "_Abbrechen",
        GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    for (int32_t index = 0; index < filterCount; ++index) {
        AddFilter(chooser, filters[index], index == selectedFilter);
    }
    if (folder != nullptr && folder[0] != 0) {
        gtk_file_chooser_set_current_folder(chooser, folder);
    }
    gtk_file_chooser_set_current_name(chooser, name != nullptr ? name : "");
    if (place != nullptr && place[0] != 0) { // listed among the places at the side
        gtk_file_chooser_add_shortcut_folder(chooser, place, nullptr);
    }

    SDL_Window* previousFocus = SDL_GetKeyboardFocus();
    int32_t chosen = 0;
    if (RunDialog(dialog) == GTK_RESPONSE_ACCEPT) {
        chosen = CopyChosenPath(chooser, result, capacity);
    }
    FinishDialog(dialog, previousFocus);
    return chosen;
}

void PlatformMessageBox(const char* title, const char* text) {
    if (!GtkReady()) {
        return;
    }
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                               GTK_BUTTONS_OK, "%s", text != nullptr ? text : "");
    gtk_window_set_title(GTK_WINDOW(dialog), title != nullptr ? title : "");
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

    SDL_Window* previousFocus = SDL_GetKeyboardFocus();
    RunDialog(dialog);
    FinishDialog(dialog, previousFocus);
}
