#pragma once

class TMain;
class TForm2;
class TForm3;
class TUserList;
class TForm5;
class TDialSystem;
class TForm7;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class TForm18;
class TForm19;

// The windows of the run, each created once at start and kept until the program ends.
struct Forms {
    TMain* Main = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TUserList* UserList = nullptr;
    TForm5* Form5 = nullptr;
    TDialSystem* DialSystem = nullptr;
    TForm7* Form7 = nullptr;
    TForm10* Form10 = nullptr;
    TForm11* Form11 = nullptr;
    TForm12* Form12 = nullptr;
    TForm13* Form13 = nullptr;
    TForm14* Form14 = nullptr;
    TForm15* Form15 = nullptr;
    TForm18* Form18 = nullptr;
    TForm19* Form19 = nullptr;
};
