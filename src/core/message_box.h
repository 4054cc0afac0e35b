#pragma once
#include <functional>
#include <string>

// The one modal message box of the program. Tests install an answerer so that no box waits.
enum class MessageKind { Error, Information, Confirmation, Warning };
enum class MessageButtons { Ok, YesNo, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Retry, Cancel };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageKind kind;
  MessageButtons buttons;
};

MessageAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageKind kind,
                             MessageButtons buttons);
using MessageBoxAnswerer = std::function<MessageAnswer(const MessageBoxRequest&)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// Captions in the program's style: display name + "  -  " + word.
std::string Caption(const std::string& word);
