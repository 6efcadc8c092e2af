#pragma once

#include "view/KivaView.h"

namespace tessel {

class CDocWithLineNum;

// The view of BASIC, C, assembler, CASL and text documents: adds renumbering
// and sorting, and the line-number output flag of its document.
class CViewWithLineNum : public CKivaView {
    Q_OBJECT

public:
    using CKivaView::CKivaView;

    bool GetLineNumOutput() const override;
    void SetLineNumOutput(bool output) override;
    bool OnCmdMsg(int id, CmdUI* ui) override;

    void OnRenumber();
    void OnSortLines();

private:
    CDocWithLineNum* Document() const;
};

} // namespace tessel
