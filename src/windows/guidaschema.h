#pragma once

#include "windows/help_window.h"

namespace zant {

// The page of the guide that shows the example network instead of a text.
class guidaschema final : public HelpWindowBase
{
    Q_OBJECT

public:
    explicit guidaschema(ModZANT& app);
    ~guidaschema() override;
    Q_DISABLE_COPY_MOVE(guidaschema)

    QLabel* Image1() const { return m_image1; }

    // Writes schemaZANT.jpg in the documents folder and a document that shows it.
    void cmdstampa_Click() override;

protected:
    void controlsResized() override;

private:
    // The picture of the example network.
    QLabel* m_image1 = nullptr;
};

} // namespace zant
