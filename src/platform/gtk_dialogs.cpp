#include "platform/gtk_dialogs.h"

#include <gtk/gtk.h>

#include <cctype>

#include "platform/text_encoding.h"

namespace kumodo {
namespace {

bool EnsureGtk() {
  static const bool ready = gtk_init_check(nullptr, nullptr);
  return ready;
}

struct PendingResponse {
  bool done = false;
  int response = GTK_RESPONSE_NONE;
};

void OnResponse(GtkWidget*, int response, gpointer data) {
  auto* pending = static_cast<PendingResponse*>(data);
  pending->done = true;
  pending->response = response;
}

void OnNativeResponse(GtkNativeDialog*, int response, gpointer data) { OnResponse(nullptr, response, data); }

void WaitFor(const PendingResponse& pending, const std::function<void()>& keepAlive) {
  while (!pending.done) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (keepAlive) keepAlive();
    g_usleep(5000);
  }
}

}  // namespace

std::string CaseInsensitivePattern(const std::string& pattern) {
  std::string result;
  for (char c : pattern) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      result += '[';
      result += static_cast<char>(std::tolower(u));
      result += static_cast<char>(std::toupper(u));
      result += ']';
    } else {
      result += c;
    }
  }
  return result;
}

MessageBoxAnswer RunGtkMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                  const std::function<void()>& keepAlive) {
  if (!EnsureGtk()) return MessageBoxAnswer::Cancel;
  GtkWidget* dialog = gtk_message_dialog_new(
      nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
      buttons == MessageBoxButtons::Ok ? GTK_BUTTONS_OK : GTK_BUTTONS_OK_CANCEL, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  PendingResponse pending;
  g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &pending);
  gtk_widget_show_all(dialog);
  WaitFor(pending, keepAlive);
  gtk_widget_destroy(dialog);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return pending.response == GTK_RESPONSE_OK ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
}

std::optional<std::string> RunGtkFileChooser(FileChooserAction action, const std::vector<FileFilter>& filters,
                                             const std::function<void()>& keepAlive) {
  if (!EnsureGtk()) return std::nullopt;
  const bool save = action == FileChooserAction::Save;
  GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
      nullptr, nullptr, save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
  GtkFileChooser* fileChooser = GTK_FILE_CHOOSER(chooser);
  // The program asks its own overwrite question.
  gtk_file_chooser_set_do_overwrite_confirmation(fileChooser, FALSE);
  for (const FileFilter& entry : filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, SjisToUtf8(entry.description).c_str());
    std::size_t start = 0;
    while (start <= entry.patterns.size()) {
      std::size_t end = entry.patterns.find(';', start);
      if (end == std::string::npos) end = entry.patterns.size();
      const std::string pattern = entry.patterns.substr(start, end - start);
      if (!pattern.empty()) gtk_file_filter_add_pattern(filter, CaseInsensitivePattern(pattern).c_str());
      start = end + 1;
    }
    gtk_file_chooser_add_filter(fileChooser, filter);
  }
  PendingResponse pending;
  g_signal_connect(chooser, "response", G_CALLBACK(OnNativeResponse), &pending);
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
  gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
  WaitFor(pending, keepAlive);
  std::optional<std::string> chosen;
  if (pending.response == GTK_RESPONSE_ACCEPT) {
    if (gchar* name = gtk_file_chooser_get_filename(fileChooser)) {
      chosen = name;
      g_free(name);
    }
  }
  g_object_unref(chooser);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return chosen;
}

}  // namespace kumodo
