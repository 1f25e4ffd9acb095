#include "SurfaceButtons.h"

#include <QAbstractButton>

#include <utility>

#include "Ansi.h"
#include "ByteText.h"
#include "IAeverButton.h"
#include "NodeImageLists.h"
#include "_Globals.h"

SurfaceButtonText ParseSurfaceButtonText(const QByteArray &text)
{
    SurfaceButtonText button;
    button.name = TextBefore(text, '|');
    const QByteArray rest = TextAfter(text, '|');
    button.caption = TextBefore(rest, ';');
    button.hint = text.contains(';') ? TextAfter(text, ';') : button.caption;
    return button;
}

TSurfaceButtons::TSurfaceButtons(QWidget *panel, std::function<void(const QByteArray &)> pressed,
                                 QObject *parent, GlyphSource glyphOf)
    : QObject(parent)
    , m_panel(panel)
    , m_pressed(std::move(pressed))
    , m_glyphOf(std::move(glyphOf))
{
}

QAbstractButton *TSurfaceButtons::button(const QByteArray &name) const
{
    return m_buttons.value(name);
}

void TSurfaceButtons::Clear()
{
    const auto buttons = std::exchange(m_buttons, {});
    for (const auto &button : buttons)
        delete button.data();
}

int TSurfaceButtons::count() const
{
    int n = 0;
    for (const auto &button : m_buttons)
        n += button ? 1 : 0;
    return n;
}

void TSurfaceButtons::Place(const TAnsi *engine, const TAnsiRect &rect, int image, int color,
                            const QByteArray &text)
{
    const SurfaceButtonText parts = ParseSurfaceButtonText(text);
    if (rect.Left == 0) {
        if (QPointer<QAbstractButton> button = m_buttons.take(parts.name))
            delete button.data();
        return;
    }

    const auto placed = m_buttons.constFind(parts.name);
    if ((placed == m_buttons.cend() || !placed.value()) && count() >= MaxButtons)
        return;
    QPointer<QAbstractButton> &slot = m_buttons[parts.name];
    if (!slot) {
        auto *button = new TIAeverButton(m_panel);
        button->setObjectName(DisplayText(parts.name));
        const QByteArray name = parts.name;
        connect(button, &QAbstractButton::clicked, this, [this, name] {
            if (m_pressed)
                m_pressed(name);
        });
        slot = button;
    }
    auto *button = static_cast<TIAeverButton *>(slot.data());
    button->setCaption(DisplayText(parts.caption));
    button->setHint(DisplayText(parts.hint));
    button->setFocusOutline(false);
    button->setFocusPolicy(Qt::NoFocus);

    QFont font(QStringLiteral("AriaL"));
    font.setPointSize(qMax(1, (engine ? engine->FontSize() : 9) - 1));
    font.setBold(true);
    button->setFont(font);
    button->setCaptionColor(Qt::white);
    button->setShape(TIAeverButton::Shape::RoundRect);
    button->setBevel(TIAeverButton::Bevel::Simple3D);
    button->setBevelDepth(4);
    button->setFaceColor(ToQColor(engine ? engine->ColorOf(color) : TColors::Black));
    button->setGradientColor(Qt::black);
    if (image >= 0 && image < 100 && m_glyphOf)
        button->setGlyph(m_glyphOf(image));
    else if (image >= 0 && image < 100 && image < NodeImageLists::IconCount)
        button->setGlyph(QPixmap::fromImage(NodeImageLists::ImageList1().at(image)));
    else
        button->setGlyph(QPixmap());
    button->setGlyphLeft(10);
    button->setGeometry(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
    button->show();
    button->raise();
}
