#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

// The application's collection of loaded forms. A form is loaded from its construction to its
// destruction, shown or hidden; its name is its objectName.
class Forms
{
public:
    static void add(QWidget* form);
    static void remove(QWidget* form);
    static QList<QWidget*> loaded();
};

// Registers the widget that owns it as a loaded form for the owner's lifetime.
class FormRegistration
{
public:
    FormRegistration(QWidget* form, const QString& name);
    ~FormRegistration();
    FormRegistration(const FormRegistration&) = delete;
    FormRegistration& operator=(const FormRegistration&) = delete;

private:
    QWidget* m_form;
};
