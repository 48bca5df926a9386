#pragma once
// The project tree control: keyed nodes with a collection index, text, image index,
// expanded and selected state, label editing, and the events the tree commands use.

#include <QHash>
#include <QPoint>
#include <QString>
#include <QTreeWidget>
#include <vector>

namespace project {

class TreeView : public QTreeWidget {
    Q_OBJECT
public:
    using Node = QTreeWidgetItem;

    // Where a new node goes relative to the node named by its relative key.
    enum class Relationship { Previous = 3, Child = 4 };

    explicit TreeView(QWidget* parent = nullptr);

    void ClearNodes();

    // Adds a node with a key and a text: with an empty relative key as the last top-level
    // node; otherwise as the last child of, or just before, the node with that key.
    // Returns nullptr (nothing added) when the relative key names no node or `key` is
    // already in use.
    Node* AddNode(const QString& relativeKey, Relationship relationship, const QString& key,
                  const QString& text);

    // The node collection: indexes run from 1 to Count() in the order nodes were added;
    // removing a node drops it and its subtree and closes the gap.
    int Count() const { return static_cast<int>(nodes_.size()); }
    Node* NodeAt(int index) const;
    int IndexOf(const Node* node) const;
    Node* NodeByKey(const QString& key) const;
    static QString KeyOf(const Node* node);

    bool RemoveAt(int index);
    bool RemoveByKey(const QString& key);

    Node* SelectedItem() const;
    void SetSelected(Node* node, bool selected = true);

    static QString NodeText(const Node* node);
    static void SetNodeText(Node* node, const QString& text);
    static int NodeImage(const Node* node);
    static void SetNodeImage(Node* node, int image);

    bool IsNodeExpanded(const Node* node) const { return node && node->isExpanded(); }
    // Sets the expanded state without raising NodeExpand or NodeCollapse.
    void SetNodeExpanded(Node* node, bool expanded);

    // Opens the label editor on the node.
    void StartLabelEdit(Node* node);

    // True when `node` is `ancestor` or lies in its subtree.
    static bool IsWithin(const Node* node, const Node* ancestor);

    // The chain of children of `parent`, or the top level for nullptr: its length, the
    // node at a 0-based position in it (nullptr outside), and a node's own position.
    int ChainLength(const Node* parent) const;
    Node* ChainAt(const Node* parent, int position) const;
    int PositionOf(const Node* node) const;

    // `node` and every node below it, each before its children.
    static std::vector<Node*> Subtree(Node* node);

    // Called by the label editor when an edit is committed; false when it was cancelled.
    bool ConfirmLabelEdit(const QModelIndex& index, const QString& newText);

signals:
    void NodeClick(QTreeWidgetItem* node);
    void NodeExpand(QTreeWidgetItem* node);
    void NodeCollapse(QTreeWidgetItem* node);
    // Raised before a committed label is taken; setting *cancel keeps the old label.
    // A label edit the user abandons (Escape, focus lost without change) raises nothing.
    void AfterLabelEdit(QTreeWidgetItem* node, const QString& newText, bool* cancel);
    void TreeMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void TreeMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void ForgetSubtree(Node* node);
    void OnExpanded(QTreeWidgetItem* node);
    void OnCollapsed(QTreeWidgetItem* node);

    std::vector<Node*> nodes_;
    QHash<QString, Node*> nodesByKey_;  // the same nodes, found by key
    bool settingExpanded_ = false;
};

}  // namespace project
