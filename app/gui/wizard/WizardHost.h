#pragma once

class QString;
class QWidget;

// What the wizard's pages ask of the window that holds them. The pages know only this; the main window
// is the one implementation.
class WizardHost
{
public:
    virtual ~WizardHost() = default;

    virtual void SetPage(int target) = 0;
    virtual void UpdateButtons() = 0;
    virtual void SetStepText(const QString& text) = 0;
    // Loads every chosen kind into the loaded data; false with GetLoadFailure saying why.
    virtual bool LoadSelectedKinds() = 0;
    virtual const QString& GetLoadFailure() const = 0;
    // The window the wait window gives the front back to.
    virtual QWidget* GetClientPanel() const = 0;
    // While work runs (between BeginWork and the matching EndWork) the wizard does not close.
    virtual void BeginWork() = 0;
    virtual void EndWork() = 0;
};

// BeginWork and EndWork of a scope.
class WorkScope
{
public:
    explicit WorkScope(WizardHost* host) : m_pHost(host) { m_pHost->BeginWork(); }
    ~WorkScope() { m_pHost->EndWork(); }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

private:
    WizardHost* m_pHost;
};
