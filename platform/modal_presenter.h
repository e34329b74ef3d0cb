#pragma once

class QDialog;

namespace pv {

// Shows a secondary window modally and returns when it is closed.
class ModalPresenter
{
public:
    virtual ~ModalPresenter() = default;
    virtual void ShowModal(QDialog &dialog) = 0;
};

class QtModalPresenter : public ModalPresenter
{
public:
    void ShowModal(QDialog &dialog) override;
};

} // namespace pv
