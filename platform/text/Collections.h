// Growable arrays and doubly linked lists with the members code written against the MFC collections expects:
// CArray, CPtrArray, CStringArray, CTypedPtrArray and CStringList, CPtrList, CTypedPtrList.
//
// A bad index or a null POSITION never touches memory outside the collection: writes through it are ignored,
// reads give a default value (a reference to a scratch element that is reset on every such read), removals
// of elements that do not exist are ignored. A POSITION of an element that was removed is, as ever, invalid.
// The collections cannot be copied by construction or assignment; use Copy or Append.
#pragma once
#include <windows.h>
#include <cstddef>
#include <utility>
#include <vector>
#include "platform/text/String.h"

struct __POSITION
{
};
typedef __POSITION *POSITION;

template <class TYPE, class ARG_TYPE = const TYPE &> class CArray
{
  public:
    CArray() = default;
    CArray(const CArray &) = delete;
    CArray &operator=(const CArray &) = delete;
    virtual ~CArray() = default;

    INT_PTR GetSize() const
    {
        return static_cast<INT_PTR>(m_items.size());
    }
    INT_PTR GetCount() const
    {
        return GetSize();
    }
    INT_PTR GetUpperBound() const
    {
        return GetSize() - 1;
    }
    bool IsEmpty() const
    {
        return m_items.empty();
    }
    // New elements are value-initialised (numbers and pointers 0). A negative size is ignored; the growth
    // step is left to the container.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize >= 0)
            m_items.resize(static_cast<size_t>(nNewSize));
    }
    void FreeExtra()
    {
        m_items.shrink_to_fit();
    }
    void RemoveAll()
    {
        m_items.clear();
    }

    const TYPE &GetAt(INT_PTR nIndex) const
    {
        return Valid(nIndex) ? m_items[Index(nIndex)] : Scratch();
    }
    TYPE &GetAt(INT_PTR nIndex)
    {
        return ElementAt(nIndex);
    }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (Valid(nIndex))
            m_items[Index(nIndex)] = newElement;
    }
    TYPE &ElementAt(INT_PTR nIndex)
    {
        return Valid(nIndex) ? m_items[Index(nIndex)] : Scratch();
    }
    const TYPE &ElementAt(INT_PTR nIndex) const
    {
        return GetAt(nIndex);
    }
    const TYPE &operator[](INT_PTR nIndex) const
    {
        return GetAt(nIndex);
    }
    TYPE &operator[](INT_PTR nIndex)
    {
        return ElementAt(nIndex);
    }
    const TYPE *GetData() const
    {
        return m_items.empty() ? nullptr : m_items.data();
    }
    TYPE *GetData()
    {
        return m_items.empty() ? nullptr : m_items.data();
    }

    // Grows the array as needed so that nIndex exists (a negative index is ignored).
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (nIndex < 0)
            return;
        TYPE copy(newElement); // newElement may live in this array
        if (nIndex >= GetSize())
            m_items.resize(Index(nIndex) + 1);
        m_items[Index(nIndex)] = std::move(copy);
    }
    INT_PTR Add(ARG_TYPE newElement)
    {
        m_items.push_back(TYPE(newElement));
        return GetSize() - 1;
    }
    // Returns the index of the first appended element.
    INT_PTR Append(const CArray &src)
    {
        INT_PTR first = GetSize();
        std::vector<TYPE> items(src.m_items); // src may be this array
        m_items.insert(m_items.end(), items.begin(), items.end());
        return first;
    }
    void Copy(const CArray &src)
    {
        if (&src != this)
            m_items = src.m_items;
    }
    // Inserting at or past the end first grows the array to nIndex.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0)
            return;
        TYPE copy(newElement);
        if (nIndex > GetSize())
            m_items.resize(Index(nIndex));
        m_items.insert(m_items.begin() + nIndex, static_cast<size_t>(nCount), copy);
    }
    void InsertAt(INT_PTR nStartIndex, const CArray *pNewArray)
    {
        if (nStartIndex < 0 || !pNewArray || pNewArray->IsEmpty())
            return;
        std::vector<TYPE> items(pNewArray->m_items);
        if (nStartIndex > GetSize())
            m_items.resize(Index(nStartIndex));
        m_items.insert(m_items.begin() + nStartIndex, items.begin(), items.end());
    }
    // Removes the elements of [nIndex, nIndex + nCount) that exist.
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        if (!Valid(nIndex) || nCount <= 0)
            return;
        INT_PTR last = nCount > GetSize() - nIndex ? GetSize() : nIndex + nCount;
        m_items.erase(m_items.begin() + nIndex, m_items.begin() + last);
    }

  private:
    bool Valid(INT_PTR nIndex) const
    {
        return nIndex >= 0 && nIndex < GetSize();
    }
    static size_t Index(INT_PTR nIndex)
    {
        return static_cast<size_t>(nIndex);
    }
    TYPE &Scratch() const
    {
        m_scratch = TYPE();
        return m_scratch;
    }

    std::vector<TYPE> m_items;
    mutable TYPE m_scratch{};
};

class CPtrArray : public CArray<void *, void *>
{
};

class CStringArray : public CArray<CString, const CString &>
{
};

// An array of typed pointers over a pointer array base (CPtrArray).
template <class BASE_CLASS, class TYPE> class CTypedPtrArray : public BASE_CLASS
{
  public:
    TYPE GetAt(INT_PTR nIndex) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetAt(nIndex));
    }
    TYPE &ElementAt(INT_PTR nIndex)
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::ElementAt(nIndex));
    }
    void SetAt(INT_PTR nIndex, TYPE ptr)
    {
        BASE_CLASS::SetAt(nIndex, ptr);
    }
    void SetAtGrow(INT_PTR nIndex, TYPE newElement)
    {
        BASE_CLASS::SetAtGrow(nIndex, newElement);
    }
    INT_PTR Add(TYPE newElement)
    {
        return BASE_CLASS::Add(newElement);
    }
    INT_PTR Append(const CTypedPtrArray &src)
    {
        return BASE_CLASS::Append(src);
    }
    void Copy(const CTypedPtrArray &src)
    {
        BASE_CLASS::Copy(src);
    }
    void InsertAt(INT_PTR nIndex, TYPE newElement, INT_PTR nCount = 1)
    {
        BASE_CLASS::InsertAt(nIndex, newElement, nCount);
    }
    void InsertAt(INT_PTR nStartIndex, CTypedPtrArray *pNewArray)
    {
        BASE_CLASS::InsertAt(nStartIndex, pNewArray);
    }
    TYPE operator[](INT_PTR nIndex) const
    {
        return GetAt(nIndex);
    }
    TYPE &operator[](INT_PTR nIndex)
    {
        return ElementAt(nIndex);
    }
};

namespace platform_detail
{

// The doubly linked list behind CStringList and CPtrList; a POSITION is a node.
template <class TYPE, class ARG_TYPE> class LinkedList
{
    struct Node
    {
        Node *prev;
        Node *next;
        TYPE data;
    };

  public:
    LinkedList() = default;
    LinkedList(const LinkedList &) = delete;
    LinkedList &operator=(const LinkedList &) = delete;
    virtual ~LinkedList()
    {
        RemoveAll();
    }

    INT_PTR GetCount() const
    {
        return m_count;
    }
    INT_PTR GetSize() const
    {
        return m_count;
    }
    bool IsEmpty() const
    {
        return m_count == 0;
    }

    // On an empty list GetHead and GetTail give a default value; RemoveHead and RemoveTail give one and
    // remove nothing.
    TYPE &GetHead()
    {
        return m_head ? m_head->data : Scratch();
    }
    const TYPE &GetHead() const
    {
        return m_head ? m_head->data : Scratch();
    }
    TYPE &GetTail()
    {
        return m_tail ? m_tail->data : Scratch();
    }
    const TYPE &GetTail() const
    {
        return m_tail ? m_tail->data : Scratch();
    }
    TYPE RemoveHead()
    {
        if (!m_head)
            return TYPE();
        TYPE value(std::move(m_head->data));
        Unlink(m_head);
        return value;
    }
    TYPE RemoveTail()
    {
        if (!m_tail)
            return TYPE();
        TYPE value(std::move(m_tail->data));
        Unlink(m_tail);
        return value;
    }
    POSITION AddHead(ARG_TYPE newElement)
    {
        return LinkBefore(m_head, newElement);
    }
    POSITION AddTail(ARG_TYPE newElement)
    {
        return LinkAfter(m_tail, newElement);
    }
    void RemoveAll()
    {
        while (m_head)
            Unlink(m_head);
    }

    POSITION GetHeadPosition() const
    {
        return ToPosition(m_head);
    }
    POSITION GetTailPosition() const
    {
        return ToPosition(m_tail);
    }
    // The element at rPosition; rPosition moves to the next (or previous) one, null after the last.
    TYPE &GetNext(POSITION &rPosition)
    {
        Node *node = ToNode(rPosition);
        rPosition = node ? ToPosition(node->next) : nullptr;
        return node ? node->data : Scratch();
    }
    const TYPE &GetNext(POSITION &rPosition) const
    {
        return const_cast<LinkedList *>(this)->GetNext(rPosition);
    }
    TYPE &GetPrev(POSITION &rPosition)
    {
        Node *node = ToNode(rPosition);
        rPosition = node ? ToPosition(node->prev) : nullptr;
        return node ? node->data : Scratch();
    }
    const TYPE &GetPrev(POSITION &rPosition) const
    {
        return const_cast<LinkedList *>(this)->GetPrev(rPosition);
    }
    TYPE &GetAt(POSITION position)
    {
        Node *node = ToNode(position);
        return node ? node->data : Scratch();
    }
    const TYPE &GetAt(POSITION position) const
    {
        return const_cast<LinkedList *>(this)->GetAt(position);
    }
    void SetAt(POSITION pos, ARG_TYPE newElement)
    {
        if (Node *node = ToNode(pos))
            node->data = newElement;
    }
    void RemoveAt(POSITION position)
    {
        if (Node *node = ToNode(position))
            Unlink(node);
    }
    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement)
    {
        Node *node = ToNode(position);
        return LinkBefore(node ? node : m_head, newElement);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement)
    {
        Node *node = ToNode(position);
        return LinkAfter(node ? node : m_tail, newElement);
    }

    // The first element equal to searchValue after startAfter (from the head when null), or null.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const
    {
        Node *node = startAfter ? ToNode(startAfter)->next : m_head;
        for (; node; node = node->next)
        {
            if (node->data == searchValue)
                return ToPosition(node);
        }
        return nullptr;
    }
    // The position of the element at a zero-based index, or null.
    POSITION FindIndex(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_count)
            return nullptr;
        Node *node = m_head;
        while (nIndex-- > 0)
            node = node->next;
        return ToPosition(node);
    }

  private:
    static POSITION ToPosition(Node *node)
    {
        return reinterpret_cast<POSITION>(node);
    }
    static Node *ToNode(POSITION position)
    {
        return reinterpret_cast<Node *>(position);
    }

    TYPE &Scratch() const
    {
        m_scratch = TYPE();
        return m_scratch;
    }
    POSITION LinkBefore(Node *next, ARG_TYPE value)
    {
        Node *node = new Node{next ? next->prev : nullptr, next, TYPE(value)};
        Link(node);
        return ToPosition(node);
    }
    POSITION LinkAfter(Node *prev, ARG_TYPE value)
    {
        Node *node = new Node{prev, prev ? prev->next : nullptr, TYPE(value)};
        Link(node);
        return ToPosition(node);
    }
    void Link(Node *node)
    {
        (node->prev ? node->prev->next : m_head) = node;
        (node->next ? node->next->prev : m_tail) = node;
        ++m_count;
    }
    void Unlink(Node *node)
    {
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        --m_count;
        delete node;
    }

    Node *m_head = nullptr;
    Node *m_tail = nullptr;
    INT_PTR m_count = 0;
    mutable TYPE m_scratch{};
};

} // namespace platform_detail

class CStringList : public platform_detail::LinkedList<CString, const CString &>
{
};

class CPtrList : public platform_detail::LinkedList<void *, void *>
{
};

// A list of typed pointers over a pointer list base (CPtrList).
template <class BASE_CLASS, class TYPE> class CTypedPtrList : public BASE_CLASS
{
  public:
    TYPE &GetHead()
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::GetHead());
    }
    TYPE GetHead() const
    {
        return static_cast<TYPE>(BASE_CLASS::GetHead());
    }
    TYPE &GetTail()
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::GetTail());
    }
    TYPE GetTail() const
    {
        return static_cast<TYPE>(BASE_CLASS::GetTail());
    }
    TYPE RemoveHead()
    {
        return static_cast<TYPE>(BASE_CLASS::RemoveHead());
    }
    TYPE RemoveTail()
    {
        return static_cast<TYPE>(BASE_CLASS::RemoveTail());
    }
    POSITION AddHead(TYPE newElement)
    {
        return BASE_CLASS::AddHead(newElement);
    }
    POSITION AddTail(TYPE newElement)
    {
        return BASE_CLASS::AddTail(newElement);
    }
    TYPE &GetNext(POSITION &rPosition)
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::GetNext(rPosition));
    }
    TYPE GetNext(POSITION &rPosition) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetNext(rPosition));
    }
    TYPE &GetPrev(POSITION &rPosition)
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::GetPrev(rPosition));
    }
    TYPE GetPrev(POSITION &rPosition) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetPrev(rPosition));
    }
    TYPE &GetAt(POSITION position)
    {
        return reinterpret_cast<TYPE &>(BASE_CLASS::GetAt(position));
    }
    TYPE GetAt(POSITION position) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetAt(position));
    }
    void SetAt(POSITION pos, TYPE newElement)
    {
        BASE_CLASS::SetAt(pos, newElement);
    }
    POSITION InsertBefore(POSITION position, TYPE newElement)
    {
        return BASE_CLASS::InsertBefore(position, newElement);
    }
    POSITION InsertAfter(POSITION position, TYPE newElement)
    {
        return BASE_CLASS::InsertAfter(position, newElement);
    }
    POSITION Find(TYPE searchValue, POSITION startAfter = nullptr) const
    {
        return BASE_CLASS::Find(searchValue, startAfter);
    }
};
