// The pictures of the window: the 15 state pictures of the display tree (also the entries of the
// object dialog's icon list), the 7 toolbar pictures and the program's icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>
#include <cstdint>

namespace quorvia::ui {

inline constexpr int kStatePictureCount = 15;

// The state picture an icon index selects: its number held in four bits. 0 to 15; the numbers
// 0 and 15 show nothing.
int statePictureNumber(std::int32_t iconIndex);
bool showsStatePicture(std::int32_t iconIndex);

// Registers the program's pictures, help page and licence text (idempotent).
void loadResources();

enum class ToolbarPicture { New, Open, Save, Add, Delete, Import, Export };

class Pictures final {
public:
    // Drawn once, on first use (a QApplication must exist).
    static const Pictures& instance();

    // State picture 0 to 14, 16 x 16 pixels; picture 0 is fully transparent.
    const QPixmap& statePicture(int number) const;
    QIcon toolbarIcon(ToolbarPicture picture) const;
    QIcon programIcon() const { return m_program; }

private:
    Pictures();

    std::array<QPixmap, kStatePictureCount> m_states;
    std::array<QIcon, 7> m_toolbar;
    QIcon m_program;
};

}  // namespace quorvia::ui
