// OdArray: the SDK's growable array; every index is checked.
#pragma once

#include "od/OdError.h"

#include <algorithm>
#include <vector>

template <typename T>
class OdArray
{
public:
  using size_type = unsigned int;
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;

  OdArray() = default;
  explicit OdArray(size_type reserveLength) { m_data.reserve(reserveLength); }
  OdArray(std::initializer_list<T> items) : m_data(items) {}

  size_type size() const { return size_type(m_data.size()); }
  size_type length() const { return size(); }
  size_type logicalLength() const { return size(); }
  bool isEmpty() const { return m_data.empty(); }
  bool empty() const { return m_data.empty(); }

  T& operator[](size_type index) { check(index); return m_data[index]; }
  const T& operator[](size_type index) const { check(index); return m_data[index]; }
  T& at(size_type index) { return (*this)[index]; }
  const T& at(size_type index) const { return (*this)[index]; }
  const T& getAt(size_type index) const { return (*this)[index]; }
  OdArray& setAt(size_type index, const T& value) { (*this)[index] = value; return *this; }
  T& first() { return (*this)[0]; }
  T& last() { return (*this)[size() - 1]; }
  const T& first() const { return (*this)[0]; }
  const T& last() const { return (*this)[size() - 1]; }

  size_type append(const T& value) { m_data.push_back(value); return size() - 1; }
  OdArray& append(const OdArray& other) { m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end()); return *this; }
  void push_back(const T& value) { m_data.push_back(value); }
  OdArray& insertAt(size_type index, const T& value)
  {
    if (index > size())
      throw OdError_InvalidIndex();
    m_data.insert(m_data.begin() + index, value);
    return *this;
  }
  OdArray& removeAt(size_type index) { check(index); m_data.erase(m_data.begin() + index); return *this; }
  OdArray& removeFirst() { return removeAt(0); }
  OdArray& removeLast() { return removeAt(size() - 1); }
  bool remove(const T& value)
  {
    auto it = std::find(m_data.begin(), m_data.end(), value);
    if (it == m_data.end())
      return false;
    m_data.erase(it);
    return true;
  }
  bool contains(const T& value) const { return std::find(m_data.begin(), m_data.end(), value) != m_data.end(); }
  bool find(const T& value, size_type& index) const
  {
    auto it = std::find(m_data.begin(), m_data.end(), value);
    if (it == m_data.end())
      return false;
    index = size_type(it - m_data.begin());
    return true;
  }
  void clear() { m_data.clear(); }
  OdArray& setLogicalLength(size_type n) { m_data.resize(n); return *this; }
  void resize(size_type n) { m_data.resize(n); }
  void resize(size_type n, const T& value) { m_data.resize(n, value); }
  void reserve(size_type n) { m_data.reserve(n); }
  OdArray& setPhysicalLength(size_type n) { m_data.reserve(n); return *this; }

  T* asArrayPtr() { return m_data.data(); }
  const T* asArrayPtr() const { return m_data.data(); }
  const T* getPtr() const { return m_data.data(); }

  iterator begin() { return m_data.begin(); }
  iterator end() { return m_data.end(); }
  const_iterator begin() const { return m_data.begin(); }
  const_iterator end() const { return m_data.end(); }

  bool operator==(const OdArray& other) const { return m_data == other.m_data; }
  bool operator!=(const OdArray& other) const { return m_data != other.m_data; }

private:
  void check(size_type index) const
  {
    if (index >= m_data.size())
      throw OdError_InvalidIndex();
  }
  std::vector<T> m_data;
};
