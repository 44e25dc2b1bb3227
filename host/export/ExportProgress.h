#ifndef EXPORTPROGRESS_H
#define EXPORTPROGRESS_H

#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;

// The one progress dialog of a running export (a video or a report). Its
// presence marks the export as running: it is window-modal, so while it is
// up the coach can neither edit nor start another export. Owned by the main
// window and shared by the exports, so that one runs at a time.
class ExportProgress : public QObject
{
    Q_OBJECT
public:
    // `parent` is the widget the dialog is parented to (the web view);
    // `offScreen` keeps it off the screen for a hidden window.
    ExportProgress(QWidget *parent, bool offScreen);
    ~ExportProgress() override;

    // Replaces any dialog by a fresh one saying `label`, at 0 %.
    void start(const QString &label);
    // Sets the bar without running the event loop (see the .cpp).
    void setPercent(int percent);
    // The bar at its end, as the export's file is complete.
    void setFull();
    // Removes the dialog now; nothing when there is none.
    void end();
    // Removes the dialog once the current event is handled: for a cancel
    // noticed in the dialog's own signal.
    void endLater();

    bool isShown() const;
    // A hidden window's (the command line's): nothing it shows is seen.
    bool isOffScreen() const { return m_offScreen; }
    bool wasCanceled() const;

signals:
    // The coach pressed Cancel (or closed the dialog).
    void canceled();

private:
    QWidget *m_parent;
    bool m_offScreen;
    QPointer<QProgressDialog> m_dialog;
};

#endif // EXPORTPROGRESS_H
