-- The database behind the two database examples, as SQL. examples/members.sqlite
-- is this file loaded into SQLite:  sqlite3 members.sqlite < members.sql
--
-- members: one record per person; fill-from-db.calc fills the bundled form
-- for each and writes the saved file's path and page count back.
CREATE TABLE members (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    address TEXT,
    subscribe TEXT,
    plan TEXT,
    country TEXT,
    colours TEXT,
    pdf TEXT,
    pages INTEGER
);
INSERT INTO members (name, address, subscribe, plan, country, colours) VALUES
    ('Ada Lovelace', '12 St James''s Square' || char(10) || 'London', 'Yes', 'premium',
     'United Kingdom', 'Red'),
    ('Søren Kierkegaard', 'Nytorv 2' || char(10) || 'København', 'Off', 'basic', 'Norway',
     'Green' || char(10) || 'Blue'),
    ('Αλέξανδρος Παπαδόπουλος', 'Οδός Ερμού 15 Αθήνα', 'Yes', 'standard', 'Germany', 'Blue'),
    ('山田 太郎', '東京都千代田区1-1', 'Yes', 'premium', 'Japan', 'Yellow');

-- returned_forms: filled forms that came back; read-back-to-db.calc reads
-- every field of each file into the column of the same name.
CREATE TABLE returned_forms (
    path TEXT NOT NULL,
    name TEXT,
    address TEXT,
    subscribe TEXT,
    plan TEXT,
    country TEXT,
    colours TEXT,
    fields INTEGER
);
INSERT INTO returned_forms (path) VALUES
    ('out/member-1.pdf'), ('out/member-2.pdf'), ('out/member-3.pdf'), ('out/member-4.pdf');
