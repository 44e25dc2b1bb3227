#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "AnimationFilePrefetch.h"
#include "DrillText.h"
#include "ExportConfirmation.h"
#include "LastUsedFolder.h"
#include "ReportOptions.h"
#include "VideoOptions.h"

#include <QHash>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AboutDialog;
class EditorView;
class ExportProgress;
class PageWatch;
class PageExport;
class PictureExport;
class ReportExport;
class VideoExport;
class QSplashScreen;
class RecoveryStore;
class jsInterface;
struct RecoveredDrill;

// The program's one window: a web view filled with the editor page, the
// bridge the page talks through, and every host service the page's
// messages call. Constructing it shows the splash, shows the window and
// starts loading the page.
//
// Its members live in one file per concern: the window and the page's
// start (mainWindow.cpp), the message table (mainWindowMessages.cpp), the
// drill and its file (mainWindowDrill.cpp), the boxes and prompts
// (mainWindowDialogs.cpp) and the exports (mainWindowExports.cpp).
class mainWindow : public QWidget
{
    Q_OBJECT
public:
    // Shown: the editor as the coach sees it. Hidden: the same window, page
    // and services with nothing on screen, no splash and no command-line
    // drill opened, for exports run from the command line; there every
    // failure is given to problemReported() instead of a message box.
    enum class Presentation { Shown, Hidden };

    explicit mainWindow(QWidget *parent = nullptr);
    explicit mainWindow(Presentation presentation, QWidget *parent = nullptr);
    ~mainWindow() override;

    // Opens an animation file and sends its first line to the page as
    // "openAnimationResponse". An empty path asks the user for a file first.
    // Unreadable files are reported in a message box; nothing is sent then.
    void openAnimation(const QString &path);

    // Writes `text` to the current file when `toCurrentFile` is set and
    // there is one; otherwise asks for a name first, offering the current
    // file's, and adds ".anim" to a name typed without an extension. A
    // failed write is reported and leaves any existing file untouched.
    // Returns whether the text was written; it is then the saved drill.
    bool saveAnimation(const DrillText &text, bool toCurrentFile = false);

    // Takes the drill as the page last reported it, after asking the page
    // for any change still on its way (its answer awaited for at most ten
    // seconds), and, when it differs from what was last opened or saved,
    // asks "Save the changes to “drill.anim”?" (the untitled drill, for one
    // never saved). Returns whether the caller may go on: after Save (and a
    // good save) or Discard, or when nothing changed; false after Cancel.
    bool maybeSave();

    // The file the drill on screen was last opened from or saved to, or
    // empty for a drill not saved yet.
    QString currentFile() const { return m_currentFile; }

    // Text prompts; each replies to the page only when the user confirms.
    void promptForFrameLabel(const QString &label, const QString &defaultText);
    void promptForItemLabel(const QString &label, const QString &defaultText, const QString &id);
    void promptForItemShortLabel(const QString &label, const QString &defaultText, const QString &id);
    // A note on the pitch may take two lines, so it is asked for in a box of several.
    void promptForDrawingNote(const QString &label, const QString &defaultText);

    // Asks for a picture file and sends it to the page as the pitch logo
    // ("setLogoImage"); a file that is not a readable picture of at most
    // 8192 x 8192 pixels is reported and nothing is sent.
    void selectLogo();

    // Puts the picture in the message's `imageData` (a JPEG data URL) on
    // the clipboard and confirms; says so instead when the picture does not
    // decode, the clipboard does not take it, or the page sent `errorInfo`
    // (it could not draw the drill) instead of a picture.
    // The confirmation also offers saving the frame as a file: then
    // savePicture() follows for the message's `frameNumber`, once the
    // page's snapshot has ended.
    void snapshotImage(const QVariantMap &message);
    // Asks for a PNG or JPEG file, proposing the drill's name and the frame's
    // number ("Kickout A frame 3.png"), and a width, and writes frame
    // `frame` (from 1; 0 for the selected frame, named after the drill
    // alone) there as exportPictureTo() does; a failure is shown in a
    // message box naming the file.
    void savePicture(int frame);

    // Starts a video export: asks for the file name, then the picture size
    // and rate (remembered for next time), replies "exportVideoResponse"
    // and shows the progress dialog. Nothing happens when the user cancels
    // either dialog.
    void exportVideo();

    // Writes one picture of the running video export (the message of
    // "writeVideoFrame"). The first picture is preceded by the title card,
    // the last is held for a second and ends the export; each other one is
    // acknowledged ("videoFrameWritten"), so that the page draws the next.
    // Answers "breakVideoExport" when the user cancels, or when the file
    // cannot be written (reported in a message box; any file it was to
    // replace is left as it was). A message with `errorInfo` instead of a
    // picture (the page could not draw the drill) ends the export the same
    // way. Ignored when no video export runs or the picture is not the one
    // expected next.
    void writeVideoFrame(const QVariantMap &message);

    // The PDF report: asks for the file name and the report's options
    // (pictures a page, other drills), tells the page to build the
    // report ("exportPdfResponse") and shows the export progress dialog.
    // Nothing is sent when the user cancels the file dialog; a file that
    // cannot be written fails at once, before the page builds anything.
    // Cancel tells the page at once ("breakPdfExport") and ends the export.
    void exportPdf();
    // An animated GIF: asks for the file name and the GIF's options, then
    // exports it as a video is exported ("exportVideoResponse").
    void exportGif();
    // The drill as one web page: asks for the file, then has the page
    // send the drill and its pictures ("exportPageResponse").
    void exportPage();
    // Moves the progress bar; a cancelled dialog ends the export here.
    // Ignored when no report export runs.
    void updatePdfProgress(int percent);
    // Writes the finished report unless the export was cancelled. A
    // malformed `pdfData`, the page's `errorInfo` (it could not build the
    // report) or a failed write is shown in the "error" box and leaves any
    // existing file untouched. Ignored when no report export runs.
    // `leftOut`: the characters the report's font could not print.
    void writePdfData(const QString &pdfData, const QString &errorInfo = QString(), const QString &leftOut = QString());

    // Exports without a dialog, for the command line: the same page and host
    // code as the toolbar's, writing to `path`. Each ends with
    // exportFinished(), also when it cannot start.
    void exportVideoTo(const QString &path, const VideoOptions &options = VideoOptions());
    // The PDF report, as exportPdf() builds it after its file dialog and
    // its options.
    void exportPdfTo(const QString &path, const ReportOptions &options = ReportOptions());
    // Frame `frame` (from 1; 0 for the drill's selected frame) as a picture
    // `width` pixels wide, written as PNG or JPEG by the path's suffix.
    void exportPictureTo(const QString &path, int frame, int width);
    // The drill as one web page, as exportPage() writes it after its dialog.
    void exportPageTo(const QString &path);
    // The page's answer for a web page ("writePageData").
    void writePageData(const QVariantMap &message);

    // The page's picture for exportPictureTo ("writePictureData"): its
    // `imageData`, or `errorInfo` when the page could not draw it.
    void writePictureData(const QVariantMap &message);

    // Replaces any About dialog by a fresh one and shows it.
    void showAboutInfo();

    // The folder every host file dialog starts in.
    QString lastUsedFolder() const { return m_lastUsedFolder.path(); }

    // True once the editor page is ready, or has failed to load.
    bool isPageLoaded() const { return m_pageLoaded; }

signals:
    // The editor page has said it is ready ("pageReady"), or failed to load
    // (`ok` false).
    void pageLoaded(bool ok);
    // An openAnimation() that read its file has ended: the page has taken
    // the drill (`loaded`) or refused it, or the file could not be read.
    // Emitted inside the call, or later when the page answers later.
    void openEnded(bool loaded);
    // Hidden windows only: what a message box would have told the user.
    void problemReported(const QString &text);
    // A video, report or picture export has ended: `error` is empty when
    // its file is complete (a cancelled video keeps its partial file and is
    // complete too), else why there is no file. A cancelled report writes
    // nothing and ends without this signal.
    void exportFinished(const QString &error);
    // Hidden windows only: a line for the command line to pass on while
    // an export runs (what a report leaves out).
    void exportNotice(const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void addJSObject();
    void processMessage(QVariantMap message);
    void processArguments();

private:
    using Handler = std::function<void(const QVariantMap &)>;

    // How long the host waits for the page to say it is ready once loaded, or
    // for an answer it needs before it goes on.
    static constexpr int SilentPageMs = 10000;

    void showSplash();
    void setUpWindow();
    void createWebView();
    void registerHandlers();
    void connectSignals();
    void startLoading();

    void onLoadFinished(bool ok);
    void pageReady();
    void takePageAsReady(bool ok, bool answers);
    void startAnimation();
    DrillText pageAnimationText();
    bool waitForPage(const std::function<bool()> &answered);
    void animationText(const QVariantMap &message);
    void animationChanged(const QVariantMap &message);
    void animationReset(const QVariantMap &message);
    void errorOpeningFile(const QString &errorInfo, const QString &openId);
    void endOpen(const QString &openId, bool loaded);
    QString sendDrill(const QString &text, const QString &file, const QString &pageName = QString());
    void takeAsSaved(const DrillText &text, const QString &file);
    // Offers the copies of drills left unsaved by programs that are gone;
    // returns whether one was recovered onto the page.
    bool offerRecovery();
    bool recoverDrill(const RecoveredDrill &drill);
    void updateTitle();
    void rememberSport(const QString &sport);
    void showErrorOpeningFile(const QString &errorInfo, const QString &file);
    // The box about a drill file that did not open: `text` names the file,
    // `detail` says why.
    void showFileError(const QString &text, const QString &detail);
    // The page found the drill it was asked to save would not open again;
    // nothing was written.
    void showErrorSavingFile(const QString &errorInfo);
    void showPageReport(const QString &text, const QString &errorInfo);
    void showInformation(QWidget *parent, const QString &title, const QString &text);
    bool reportedInstead(const QString &text);
    void showMessage(const QString &title, const QString &text, const QString &informativeText = QString());
    // The name the exports offer, from the drill's file ("overlap drill"
    // for "overlap drill.anim"); empty for a drill not saved yet.
    QString drillName() const;
    // The save dialog, proposing `proposedName` in the last-used folder (or
    // itself, when it is an absolute path in a folder still there) and
    // adding `defaultSuffix` to a name typed without it; empty when the
    // user cancels.
    QString chooseSaveFile(const QString &title, const QString &proposedName, const QString &filter,
                           const QString &defaultSuffix = QString());
    void createExports();
    void abortExport(const QString &reason);
    void startPictureExport(const QString &path, int frame, int width, bool shown);
    void startPageExport(const QString &path, bool shown);
    void pageProcessEnded(const QString &how);
    void restoreDrill();
    void videoExportFinished(const QString &error);
    void pictureExportFinished(const QString &error, bool shown);
    void confirmExport(ExportConfirmation::Kind kind, const QString &path);
    void sendToPage(const QString &msgType);
    void replyToPage(const QString &msgType, const QString &text, const QString &id = QString());

    QPointer<QSplashScreen> m_splash;
    jsInterface *m_bridge = nullptr;
    EditorView *m_editorView = nullptr;
    // The view's widget: the parent of the host's dialogs.
    QWidget *m_webView = nullptr;
    LastUsedFolder m_lastUsedFolder;
    QPointer<AboutDialog> m_aboutDialog;
    QHash<QString, Handler> m_handlers;
    Presentation m_presentation = Presentation::Shown;
    bool m_pageLoaded = false;
    ExportProgress *m_exportProgress = nullptr;
    VideoExport *m_videoExport = nullptr;
    ReportExport *m_reportExport = nullptr;
    PictureExport *m_pictureExport = nullptr;
    PageExport *m_pageExport = nullptr;
    PageWatch *m_pageWatch = nullptr;
    // The page's process ended: the next page to start takes back the drill
    // the host last heard of, which was saved as `saved` to `file`.
    struct PageRestore {
        DrillText held;
        DrillText saved;
        QString file;
    };
    std::optional<PageRestore> m_restore;

    // What the drill was when last opened, saved or started afresh, and
    // where it lives (empty when nowhere yet). The page's current text is
    // compared with it, the frame on show aside, whenever it matters.
    DrillText m_savedText;
    QString m_currentFile;
    // The drill's name while it has no file, when it came from a web page.
    QString m_nameFromPage;
    // The drill on the page as the host last heard of it ("animationReset",
    // "animationChanged", "animationText"), and why saving it would be
    // refused, when the page said so. Questions for the text asked and
    // answered, and whether the page answers at all.
    DrillText m_pageText;
    QString m_pageSaveProblem;
    int m_textRequests = 0;
    int m_textAnswers = 0;
    bool m_pageAnswers = false;
    // The drills sent to the page and not answered yet, by their `openId`
    // (the file, empty for none, and the text sent), and the last answered.
    struct PendingOpen {
        QString file;
        QString text;
        // A drill opened from its web page has no file, and this name.
        QString pageName;
    };
    QHash<QString, PendingOpen> m_opening;
    int m_opens = 0;
    QString m_lastOpenEnded;
    bool m_lastOpenLoaded = false;
    // The drill named on the command line, read while the page loads.
    AnimationFilePrefetch m_commandLineDrill;
    // The copy of the unsaved drill a crash would leave; none for exports.
    std::unique_ptr<RecoveryStore> m_recovery;
};

#endif // MAINWINDOW_H
