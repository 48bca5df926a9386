#include "project/TreeView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSet>
#include <QStyledItemDelegate>
#include <algorithm>

namespace project {
namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

// Commits a label only after the tree's AfterLabelEdit has had the chance to cancel it.
class LabelEditDelegate : public QStyledItemDelegate {
public:
    explicit LabelEditDelegate(TreeView* tree) : QStyledItemDelegate(tree), tree_(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        const QString text = line ? line->text() : index.data().toString();
        if (tree_->ConfirmLabelEdit(index, text)) QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    TreeView* tree_;
};

}  // namespace

TreeView::TreeView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("TreeView"));
    setColumnCount(1);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setItemDelegate(new LabelEditDelegate(this));
    setMouseTracking(true);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { emit NodeClick(item); });
    connect(this, &QTreeWidget::itemExpanded, this, &TreeView::OnExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &TreeView::OnCollapsed);
}

void TreeView::ClearNodes()
{
    nodes_.clear();
    nodesByKey_.clear();
    clear();
}

TreeView::Node* TreeView::AddNode(const QString& relativeKey, Relationship relationship,
                                  const QString& key, const QString& text)
{
    if (NodeByKey(key)) return nullptr;
    Node* relative = nullptr;
    if (!relativeKey.isEmpty()) {
        relative = NodeByKey(relativeKey);
        if (!relative) return nullptr;
    }
    auto* node = new QTreeWidgetItem;
    node->setData(0, kKeyRole, key);
    node->setData(0, kImageRole, 0);
    node->setText(0, text);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (!relative) {
        addTopLevelItem(node);
    } else if (relationship == Relationship::Child) {
        relative->addChild(node);
    } else if (Node* parent = relative->parent()) {
        parent->insertChild(parent->indexOfChild(relative), node);
    } else {
        insertTopLevelItem(indexOfTopLevelItem(relative), node);
    }
    nodes_.push_back(node);
    nodesByKey_.insert(key, node);
    return node;
}

TreeView::Node* TreeView::NodeAt(int index) const
{
    if (index < 1 || index > Count()) return nullptr;
    return nodes_[static_cast<size_t>(index - 1)];
}

int TreeView::IndexOf(const Node* node) const
{
    const auto found = std::find(nodes_.begin(), nodes_.end(), node);
    return found == nodes_.end() ? 0 : static_cast<int>(found - nodes_.begin()) + 1;
}

TreeView::Node* TreeView::NodeByKey(const QString& key) const
{
    return nodesByKey_.value(key, nullptr);
}

QString TreeView::KeyOf(const Node* node)
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

std::vector<TreeView::Node*> TreeView::Subtree(Node* node)
{
    // A work list instead of recursion, so that no nesting depth can exhaust the stack.
    std::vector<Node*> subtree;
    std::vector<Node*> pending{node};
    while (!pending.empty()) {
        Node* current = pending.back();
        pending.pop_back();
        subtree.push_back(current);
        for (int i = current->childCount() - 1; i >= 0; --i) pending.push_back(current->child(i));
    }
    return subtree;
}

// Drops `node` and its subtree from the collection in one pass over it.
void TreeView::ForgetSubtree(Node* node)
{
    QSet<const Node*> subtree;
    for (const Node* current : Subtree(node)) {
        subtree.insert(current);
        nodesByKey_.remove(KeyOf(current));
    }
    std::erase_if(nodes_, [&](const Node* n) { return subtree.contains(n); });
}

bool TreeView::RemoveAt(int index)
{
    Node* node = NodeAt(index);
    if (!node) return false;
    ForgetSubtree(node);
    delete node;  // takes its subtree with it
    return true;
}

bool TreeView::RemoveByKey(const QString& key)
{
    return RemoveAt(IndexOf(NodeByKey(key)));
}

TreeView::Node* TreeView::SelectedItem() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TreeView::SetSelected(Node* node, bool selected)
{
    if (!node) return;
    if (selected) setCurrentItem(node);
    node->setSelected(selected);
}

QString TreeView::NodeText(const Node* node) { return node ? node->text(0) : QString(); }
void TreeView::SetNodeText(Node* node, const QString& text) { node->setText(0, text); }
int TreeView::NodeImage(const Node* node) { return node ? node->data(0, kImageRole).toInt() : 0; }
void TreeView::SetNodeImage(Node* node, int image) { node->setData(0, kImageRole, image); }

void TreeView::SetNodeExpanded(Node* node, bool expanded)
{
    if (!node) return;
    settingExpanded_ = true;
    node->setExpanded(expanded);
    settingExpanded_ = false;
}

void TreeView::StartLabelEdit(Node* node)
{
    if (node) editItem(node, 0);
}

bool TreeView::IsWithin(const Node* node, const Node* ancestor)
{
    for (const Node* n = node; n; n = n->parent())
        if (n == ancestor) return true;
    return false;
}

int TreeView::ChainLength(const Node* parent) const
{
    return parent ? parent->childCount() : topLevelItemCount();
}

TreeView::Node* TreeView::ChainAt(const Node* parent, int position) const
{
    if (position < 0 || position >= ChainLength(parent)) return nullptr;
    return parent ? parent->child(position) : topLevelItem(position);
}

int TreeView::PositionOf(const Node* node) const
{
    const Node* parent = node->parent();
    return parent ? parent->indexOfChild(const_cast<Node*>(node)) : indexOfTopLevelItem(const_cast<Node*>(node));
}

bool TreeView::ConfirmLabelEdit(const QModelIndex& index, const QString& newText)
{
    Node* node = itemFromIndex(index);
    bool cancel = false;
    emit AfterLabelEdit(node, newText, &cancel);
    return !cancel;
}

void TreeView::OnExpanded(QTreeWidgetItem* node)
{
    if (!settingExpanded_) emit NodeExpand(node);
}

void TreeView::OnCollapsed(QTreeWidgetItem* node)
{
    if (!settingExpanded_) emit NodeCollapse(node);
}

// The right button only opens the pop-up menu; the commands work on the node that was
// selected before, so a right press does not move the selection.
void TreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) return;
    QTreeWidget::mousePressEvent(event);
}

void TreeView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    emit TreeMouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void TreeView::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    emit TreeMouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

}  // namespace project
