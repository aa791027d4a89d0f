#pragma once

namespace ui {

// The requests windows send to the help layer: contents, keyword search without a keyword,
// help on using help, and a context number (F1 and the help buttons).
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void contents() = 0;
    virtual void keySearch() = 0;
    virtual void helpOnHelp() = 0;
    virtual void context(int contextNumber) = 0;
};

}  // namespace ui
